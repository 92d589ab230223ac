#pragma once
// Where the channel editor's drags land: services dropped on a favorite group join it,
// services or members dropped on the members list join or move within the selected group, and
// services dropped on the service list move after the row under the pointer. The views never
// move rows themselves; every drop goes through the editor logic.

#include <QPoint>

#include <vector>

class QMimeData;
class QTableView;
class QTreeWidget;
class QWidget;

namespace velkport::channels {
class ChannelListEditor;
}

namespace velkport::editor {

class FavoritesTree;

class EditorDrops {
  public:
    EditorDrops(channels::ChannelListEditor& editor, QTableView* services, FavoritesTree* tree,
                QTreeWidget* members)
        : editor_(editor), services_(services), tree_(tree), members_(members) {}

    // Rows of the service list or of the members list: the only drags the editor takes.
    static bool IsOurs(const QMimeData& mime);

    struct Outcome {
        bool changed = false;
        bool groupSelected = false;  // a group of the tree took the drop and is now selected
    };
    Outcome drop(QWidget* viewport, const QMimeData& mime, const QPoint& pos,
                 const std::vector<int>& selectedMembers) const;

  private:
    channels::ChannelListEditor& editor_;
    QTableView* services_;
    FavoritesTree* tree_;
    QTreeWidget* members_;
};

}  // namespace velkport::editor
