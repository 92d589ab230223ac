#include "velkport/editor/ui/EditorDrops.h"

#include <QMimeData>
#include <QTableView>

#include "velkport/channels/ChannelListEditor.h"
#include "velkport/editor/ui/FavoritesTree.h"
#include "velkport/editor/ui/MembersList.h"
#include "velkport/editor/ui/ServiceTableModel.h"

namespace velkport::editor {

bool EditorDrops::IsOurs(const QMimeData& mime) {
    return mime.hasFormat(QString::fromLatin1(ServiceTableModel::kMimeType)) ||
           mime.hasFormat(QString::fromLatin1(MembersList::kMimeType));
}

EditorDrops::Outcome EditorDrops::drop(QWidget* viewport, const QMimeData& mime, const QPoint& pos,
                                       const std::vector<int>& selectedMembers) const {
    const bool fromServices = mime.hasFormat(QString::fromLatin1(ServiceTableModel::kMimeType));
    const bool fromMembers = mime.hasFormat(QString::fromLatin1(MembersList::kMimeType));
    if (viewport == tree_->viewport()) {
        if (!fromServices)
            return {};  // members dropped on the tree change no group
        channels::FavoriteGroup* g = FavoritesTree::groupOf(tree_->itemAt(pos));
        if (g == nullptr)
            return {};  // a branch item takes nothing
        const bool added = editor_.addToFavorite(g);
        editor_.selectGroup(g);
        return {added, true};
    }
    if (viewport == members_->viewport()) {
        channels::FavoriteGroup* g = editor_.selectedGroup();
        if (g == nullptr)
            return {};
        if (fromServices)
            return {editor_.addToFavorite(g), false};
        if (fromMembers) {
            QTreeWidgetItem* target = members_->itemAt(pos);
            if (target == nullptr)
                return {};
            return {editor_.moveMembers(g, selectedMembers, members_->indexOfTopLevelItem(target)),
                    false};
        }
        return {};
    }
    if (viewport == services_->viewport() && fromServices) {
        const QModelIndex target = services_->indexAt(pos);
        if (!target.isValid())
            return {};
        return {editor_.dropSelectedAfter(target.row()), false};
    }
    return {};
}

}  // namespace velkport::editor
