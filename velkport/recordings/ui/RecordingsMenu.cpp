#include "velkport/recordings/ui/RecordingsMenu.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QTreeWidget>

#include "velkport/recordings/ui/RecordingsLists.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/BackgroundJob.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::recordings {

using shell::Msg;
using shell::Q;

std::unique_ptr<QMenu> RecordingsMenu::make(QWidget* control) {
    RecordingsWindow& w = w_;
    using Focus = RecordingsWindow::Focus;
    // The menu's commands act on the control it belongs to.
    w.focus_ = control == w.recList_ || control == w.recIcons_ ? Focus::ReceiverList
               : control == w.pcList_ || control == w.pcIcons_ ? Focus::PcList
               : control == w.recFolders_                      ? Focus::ReceiverTree
                                                               : Focus::PcTree;
    auto menu = std::make_unique<QMenu>(&w);
    const bool idle = !w.job_->running();
    auto add = [&](const QString& text, bool enabled, auto slot) {
        QAction* a = menu->addAction(text, &w, slot);
        a->setEnabled(idle && enabled);
    };
    auto rename = [&w, control] {
        if (control == w.recList_ && w.recList_->currentItem())
            w.recList_->editItem(w.recList_->currentItem(), kRecName);
        else if (control == w.pcList_ && w.pcList_->currentItem())
            w.pcList_->editItem(w.pcList_->currentItem(), kPcName);
        else if (control == w.recFolders_ && w.recFolders_->currentItem())
            w.recFolders_->editItem(w.recFolders_->currentItem(), 0);
    };
    if (control == w.recList_ || control == w.recIcons_) {
        const bool any = !RecordingsLists(w).selectedReceiverEntries().empty();
        add(Q(Msg(11)), any, &RecordingsWindow::deleteAction);
        add(Q(Msg(93)), any && control == w.recList_, rename);
        add(Q(Msg(54)), any, &RecordingsWindow::downloadSelected);
        add(Q(Msg(55)), true, &RecordingsWindow::refreshLists);
    } else if (control == w.pcList_ || control == w.pcIcons_) {
        const bool any = !RecordingsLists(w).selectedPcFiles().empty();
        add(Q(Msg(1)), any, &RecordingsWindow::openSelected);
        add(Q(Msg(11)), any, &RecordingsWindow::deleteAction);
        add(Q(Msg(93)), any && control == w.pcList_, rename);
        add(Q(Msg(53)), any && w.online_, &RecordingsWindow::uploadSelected);
        add(Q(Msg(55)), true, &RecordingsWindow::refreshLists);
    } else if (control == w.recFolders_ || control == w.pcFolders_) {
        auto* tree = static_cast<QTreeWidget*>(control);
        const bool any = tree->currentItem() != nullptr;
        add(QStringLiteral("New Folder"), any, &RecordingsWindow::newFolder);
        if (control == w.recFolders_)
            add(Q(Msg(93)), any, rename);
        add(Q(Msg(11)), any, &RecordingsWindow::deleteAction);
        add(Q(Msg(55)), true, &RecordingsWindow::refreshLists);
    }
    return menu;
}

}  // namespace velkport::recordings
