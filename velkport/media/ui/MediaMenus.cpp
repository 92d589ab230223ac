#include "velkport/media/ui/MediaMenus.h"

#include <QDesktopServices>
#include <QMenu>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include <array>
#include <functional>

#include "velkport/media/ui/MediaWindow.h"
#include "velkport/media/ui/ReceiverViews.h"

namespace velkport::media {

MediaMenus::MediaMenus(MediaWindow* window) : QObject(window), w_(window) {
    auto menu = [this](std::initializer_list<std::pair<const char*, std::function<void()>>> items) {
        auto* m = new QMenu(w_);
        for (const auto& [text, action] : items)
            connect(m->addAction(QString::fromUtf8(text)), &QAction::triggered, w_, action);
        return m;
    };
    QTreeWidget* list = w_->receiverList();
    QTreeWidget* tree = w_->receiverTree();
    QTreeView* pcList = w_->pcList();
    auto rename = [list] {
        if (auto* item = list->currentItem())
            list->editItem(item, 0);
    };
    auto remove = [this] { w_->deleteReceiverRows(w_->selectedReceiverRows()); };
    auto upload = [this] { w_->upload(); };
    auto download = [this] { w_->download(); };

    recEmpty_ = menu({{"Refresh", [this] { w_->refreshReceiver(); }},
                      {"New Folder", [this] { w_->newReceiverFolder(); }}});
    QMenu* arrange = new QMenu(QStringLiteral("Arrange Icons"), recEmpty_);
    recEmpty_->insertMenu(recEmpty_->actions().value(0), arrange);
    const std::array<std::pair<const char*, int>, 4> by = {
        {{"by Name", 0}, {"by Type", 2}, {"by Size", 1}, {"by Date", 3}}};
    for (const auto& [text, column] : by)
        connect(arrange->addAction(QString::fromUtf8(text)), &QAction::triggered, w_,
                [list, c = column] { list->sortItems(c, Qt::AscendingOrder); });
    recFile_ = menu({{"Open",
                      [this, list] {
                          if (auto* item = list->currentItem())
                              w_->openReceiverFile(item->data(0, kRowRole).toInt());
                      }},
                     {"Delete", remove},
                     {"Rename", rename},
                     {"Upload", upload},
                     {"Download", download}});
    recFolder_ =
        menu({{"Delete", remove}, {"Rename", rename}, {"Upload", upload}, {"Download", download}});
    recTree_ = menu({{"Rename", [tree] { tree->editItem(tree->currentItem(), 0); }},
                     {"Delete", [this, tree] { w_->removeTreeFolder(tree->currentItem()); }},
                     {"New Folder", [this] { w_->newReceiverFolder(); }}});
    pcEmpty_ = menu(
        {{"Refresh", [this] { w_->refreshPc(); }}, {"New Folder", [this] { w_->newPcFolder(); }}});
    pcFile_ = menu({{"Open",
                     [this] {
                         for (const auto& f : w_->selectedPcFiles())
                             QDesktopServices::openUrl(
                                 QUrl::fromLocalFile(QString::fromStdString(f.string())));
                     }},
                    {"Rename", [pcList] { pcList->edit(pcList->currentIndex()); }},
                    {"Delete", [this] { w_->deletePcFiles(w_->selectedPcFiles()); }},
                    {"Upload", upload},
                    {"Download", download}});

    connect(list, &QWidget::customContextMenuRequested, w_, [this, list](const QPoint& at) {
        if (!w_->online() || w_->workerRunning())
            return;
        const auto* entry = w_->entryOf(list->itemAt(at));
        QMenu* m = !entry ? recEmpty_ : entry->isFile() ? recFile_ : recFolder_;
        m->popup(list->viewport()->mapToGlobal(at));
    });
    connect(tree, &QWidget::customContextMenuRequested, w_, [this, tree](const QPoint& at) {
        if (tree->itemAt(at) && w_->online() && !w_->workerRunning())
            recTree_->popup(tree->viewport()->mapToGlobal(at));
    });
    connect(pcList, &QWidget::customContextMenuRequested, w_, [this, pcList](const QPoint& at) {
        (pcList->indexAt(at).isValid() ? pcFile_ : pcEmpty_)
            ->popup(pcList->viewport()->mapToGlobal(at));
    });
}

}  // namespace velkport::media
