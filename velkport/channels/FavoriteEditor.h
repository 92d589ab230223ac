#pragma once
// The channel editor's favorites tree: the TV and radio branches with their groups in tree
// order, the tree's selection, and the operations on groups and their members. The rows that
// members are taken from come from the service list.

#include <string>
#include <vector>

#include "velkport/channels/ChannelDatabase.h"
#include "velkport/channels/ServiceList.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::channels {

class FavoriteEditor {
  public:
    FavoriteEditor(ChannelDatabase& db, ServiceList& list, shell::Prompter& prompter,
                   EditorNotify notify);

    // The branches from the database's favorite tables; nothing selected.
    void fill();
    void clear();

    const std::vector<FavoriteGroup*>& branch(int kind) const;
    void selectBranch(int kind);
    void selectGroup(FavoriteGroup* group);
    void clearTreeSelection();
    int selectedBranch() const { return treeKind_; }
    FavoriteGroup* selectedGroup() const { return treeGroup_; }
    // By address only: a group that has left the tree may already be freed.
    bool inTree(const FavoriteGroup* g) const;

    FavoriteGroup* createFavorite(int kind);
    // The selected rows of the shown kind join the group (each once, while it has room).
    bool addToFavorite(FavoriteGroup* group);
    FavoriteGroup* addToNewFavorite(int kind);
    void addToAllFavorites();
    void deleteFromAllFavorites();
    bool moveMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers, int dropMember);
    bool removeMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers);
    bool renameFavorite(FavoriteGroup* group, const std::string& newName);
    bool deleteFavorite(FavoriteGroup* group);

    // Asks whether the named services are to be deleted (one name, or their count).
    static bool confirmDelete(shell::Prompter& prompter, const std::vector<std::string>& names);

  private:
    void notify(EditorChange c) const {
        if (notify_)
            notify_(c);
    }

    ChannelDatabase& db_;
    ServiceList& list_;
    shell::Prompter& prompter_;
    EditorNotify notify_;
    std::vector<FavoriteGroup*> tvBranch_;
    std::vector<FavoriteGroup*> radioBranch_;
    int treeKind_ = -1;                   // selected branch (or branch of the selected group)
    FavoriteGroup* treeGroup_ = nullptr;  // selected group, null when a branch item is selected
};

}  // namespace velkport::channels
