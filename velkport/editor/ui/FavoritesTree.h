#pragma once
// The favorites tree of the channel editor: a TV and a Radio branch with the favorite groups
// below them, filled from the editor logic, its selection and label edits handed back to it,
// and its context menu (create, rename, delete).

#include <QTreeWidget>

namespace velkport::channels {
class ChannelListEditor;
struct FavoriteGroup;
}  // namespace velkport::channels

namespace velkport::editor {

class FavoritesTree : public QTreeWidget {
  public:
    FavoritesTree(channels::ChannelListEditor& editor, QWidget* parent);

    // The group an item stands for; none for a branch.
    static channels::FavoriteGroup* groupOf(const QTreeWidgetItem* item);
    QTreeWidgetItem* branchItem(int kind) const;
    QTreeWidgetItem* itemOf(const channels::FavoriteGroup* group) const;

    // Fills both branches from the logic and shows the logic's selection.
    void refill();
    // While refill runs, the tree's change signals mean nothing.
    bool filling() const { return filling_; }
    // The tree's selection becomes the logic's.
    void selectionToLogic();
    // A label edit renames the group (or is refused); the item shows the stored name.
    void renamed(QTreeWidgetItem* item);
    void showMenu(const QPoint& pos);

  private:
    channels::ChannelListEditor& editor_;
    bool filling_ = false;
};

}  // namespace velkport::editor
