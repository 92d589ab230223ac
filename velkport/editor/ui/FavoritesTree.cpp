#include "velkport/editor/ui/FavoritesTree.h"

#include <QMenu>

#include "velkport/channels/ChannelListEditor.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::editor {

using channels::FavoriteGroup;
using shell::Msg;
using shell::Q;

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kGroupRole = Qt::UserRole + 1;

}  // namespace

FavoritesTree::FavoritesTree(channels::ChannelListEditor& editor, QWidget* parent)
    : QTreeWidget(parent), editor_(editor) {
    setHeaderHidden(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setContextMenuPolicy(Qt::CustomContextMenu);
    for (int kind : {channels::kTv, channels::kRadio}) {
        auto* branch = new QTreeWidgetItem(this, {Q(Msg(kind == channels::kTv ? 283 : 284))});
        branch->setData(0, kKindRole, kind);
        branch->setData(0, kGroupRole, QVariant::fromValue<quintptr>(0));
        branch->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
    }
}

FavoriteGroup* FavoritesTree::groupOf(const QTreeWidgetItem* item) {
    if (item == nullptr)
        return nullptr;
    return reinterpret_cast<FavoriteGroup*>(item->data(0, kGroupRole).value<quintptr>());
}

QTreeWidgetItem* FavoritesTree::branchItem(int kind) const {
    return topLevelItem(kind == channels::kRadio ? 1 : 0);
}

QTreeWidgetItem* FavoritesTree::itemOf(const FavoriteGroup* group) const {
    for (int kind : {channels::kTv, channels::kRadio}) {
        QTreeWidgetItem* branch = branchItem(kind);
        for (int i = 0; i < branch->childCount(); ++i)
            if (groupOf(branch->child(i)) == group)
                return branch->child(i);
    }
    return nullptr;
}

void FavoritesTree::refill() {
    filling_ = true;
    for (int kind : {channels::kTv, channels::kRadio}) {
        QTreeWidgetItem* branch = branchItem(kind);
        qDeleteAll(branch->takeChildren());
        for (FavoriteGroup* g : editor_.branch(kind)) {
            auto* item = new QTreeWidgetItem(branch, {Q(g->name)});
            item->setData(0, kKindRole, kind);
            item->setData(0, kGroupRole, QVariant::fromValue(reinterpret_cast<quintptr>(g)));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
                           Qt::ItemIsDropEnabled);
        }
        branch->setExpanded(true);
    }
    // Keep the logic's tree selection visible.
    QTreeWidgetItem* current = nullptr;
    if (editor_.selectedGroup() != nullptr)
        current = itemOf(editor_.selectedGroup());
    else if (editor_.selectedBranch() >= 0)
        current = branchItem(editor_.selectedBranch());
    clearSelection();
    if (current != nullptr) {
        current->setSelected(true);
        setCurrentItem(current);
    }
    filling_ = false;
}

void FavoritesTree::selectionToLogic() {
    const auto items = selectedItems();
    if (items.isEmpty())
        editor_.clearTreeSelection();
    else if (FavoriteGroup* g = groupOf(items.first()))
        editor_.selectGroup(g);
    else
        editor_.selectBranch(items.first()->data(0, kKindRole).toInt());
}

void FavoritesTree::renamed(QTreeWidgetItem* item) {
    FavoriteGroup* g = groupOf(item);
    if (g == nullptr)
        return;
    const std::string text = item->text(0).toStdString();
    if (text == g->name)
        return;
    editor_.renameFavorite(g, text);
    // Refused or not, the item shows the group's stored name.
    if (QTreeWidgetItem* now = itemOf(g)) {
        const QSignalBlocker block(this);
        now->setText(0, Q(g->name));
    }
}

void FavoritesTree::showMenu(const QPoint& pos) {
    QTreeWidgetItem* item = itemAt(pos);
    if (item == nullptr)
        return;
    setCurrentItem(item);
    item->setSelected(true);
    FavoriteGroup* g = groupOf(item);
    QMenu menu(this);
    QAction* create = menu.addAction(Q(Msg(8)));
    QAction* rename = menu.addAction(Q(Msg(93)));
    QAction* del = menu.addAction(Q(Msg(11)));
    rename->setEnabled(g != nullptr);
    del->setEnabled(g != nullptr);
    QAction* chosen = menu.exec(viewport()->mapToGlobal(pos));
    if (chosen == create)
        editor_.createFavoriteFromTree();
    else if (chosen == rename && g != nullptr)
        editItem(item, 0);
    else if (chosen == del && g != nullptr)
        editor_.deleteFavorite(g);
}

}  // namespace velkport::editor
