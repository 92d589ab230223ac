#pragma once
// The channel editor's logic without a window, one face over its parts: the channel database,
// the visible service list (ServiceList), the numbering mode (NumberingMode) and the favorites
// tree (FavoriteEditor), with the file, order and channel operations that join them. A list view
// draws rows() and calls the operations; questions and refusals go through the prompter, numbers
// and channel edits through EditorDialogs.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "velkport/channels/ChannelDatabase.h"
#include "velkport/channels/FavoriteEditor.h"
#include "velkport/channels/NumberingMode.h"
#include "velkport/channels/ServiceList.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::channels {

// Context menu commands of the service list.
enum MenuCommand : int {
    kCmdStartNumbering = 20301,
    kCmdEndNumbering = 20302,
    kCmdCancelNumbering = 20303,
    kCmdMoveTo = 20015,
    kCmdRenumbering = 20009,
    kCmdAddToFavorite = 20000,
    kCmdAddToNewTvFavorite = 20001,
    kCmdAddToNewRadioFavorite = 20002,
    kCmdAddToAllFavorites = 20003,
    kCmdDeleteFromAllFavorites = 20005,
    kCmdAddEmptyChannel = 20016,
    kCmdEditChannel = 20006,
    kCmdDeleteChannels = 20004,
    kCmdLockChannels = 20010,
    kCmdUnlockChannels = 20011,
    kCmdSkipChannels = 20013,
    kCmdFreeChannels = 20014,
};

// The two numbers the Input dialog asks for: the numbering mode's start and "Move to"'s target.
enum class InputMode { Start, Move };

// What the window supplies: the Input dialog and the Channel Info dialog.
class EditorDialogs {
  public:
    virtual ~EditorDialogs() = default;
    // A number accepted by InputDialog::accept, or none on Cancel.
    virtual std::optional<int> askNumber(InputMode mode, int rowCount,
                                         const std::vector<int>& selectedNumbers) = 0;
    // Runs the Channel Info dialog on a copy; true when OK was accepted (ChannelInfoDialog).
    virtual bool editService(Service& copy, int rowCount) = 0;
};

class ChannelListEditor {
  public:
    using Change = EditorChange;
    using Listener = std::function<void(Change)>;

    explicit ChannelListEditor(shell::Prompter& prompter);

    ChannelDatabase& database() { return db_; }
    const ChannelDatabase& database() const { return db_; }
    shell::Prompter& prompter() { return prompter_; }
    // Told after each change so that a view can refresh what it draws. During "Load from DVR" and
    // "Send to DVR" the calls come from the exchange's worker thread.
    void setListener(Listener listener) { listener_ = std::move(listener); }

    // ---- the visible list ----
    bool radioView() const { return list_.radioView(); }
    int visibleKind() const { return list_.visibleKind(); }
    int rowCount() const { return list_.rowCount(); }
    const ListRow& row(int i) const { return list_.row(i); }
    const std::vector<ListRow>& rows() const { return list_.rows(); }
    int rowOf(const Service* s) const { return list_.rowOf(s); }
    int focusedRow() const { return list_.focusedRow(); }
    void setFocusedRow(int row) { list_.setFocusedRow(row); }
    void setSelected(int row, bool selected) { list_.setSelected(row, selected); }
    void selectOnly(const std::vector<int>& rows) { list_.selectOnly(rows); }
    void clearSelection() { list_.clearSelection(); }
    std::vector<int> selectedRows() const { return list_.selectedRows(); }
    Column sortColumn() const { return list_.sortColumn(); }
    bool sortAscending() const { return list_.sortAscending(); }
    // A header click: sorts by the column in the direction opposite to the previous sort.
    void sortByColumn(Column column) { list_.sortByColumn(column); }
    void sortByChannelNumber() { list_.sortByChannelNumber(); }
    // True when row i shows channel number i + 1 for every row.
    bool isConsecutive() const { return list_.isConsecutive(); }
    // The text a column shows for a row.
    std::string cellText(int row, Column column) const { return list_.cellText(row, column); }

    // Rebuilds the list from the visible table and the tree from the favorite tables.
    void fillFromDatabase();
    // Switches the visible table; false when the user keeps the numbering going.
    bool switchView(bool radio);
    // Empties the lists, the tree and the database.
    void clearAll();
    bool empty() const;

    // ---- files ----
    const std::filesystem::path& currentPath() const { return currentPath_; }
    void setCurrentPath(std::filesystem::path p) { currentPath_ = std::move(p); }
    // "Open": checks the name, reads the file, sorts and (after saying so) renumbers.
    bool openFile(const std::filesystem::path& path);
    // Reads the file into a database of its own and, when it parsed, puts that in place of the
    // current one and fills the lists (the load path). A file that does not parse keeps the
    // current list. Returns the parser's result code.
    int readChannelList(const std::filesystem::path& path);
    static bool readSucceeded(int rc);

    // What writeChannelList did; true only for Written.
    struct WriteResult {
        enum Kind { Written, Declined, Failed } kind;
        explicit operator bool() const { return kind == Written; }
    };
    // Writes the database; asks for renumbering first when the numbers are not consecutive (No:
    // Declined, nothing written). A file that cannot be written is Failed, with the reason shown
    // through the prompter, and leaves an existing file as it was. keepCurrentPath false makes
    // path the current path once written.
    WriteResult writeChannelList(const std::filesystem::path& path, bool keepCurrentPath);
    // Sorts both lists by channel number and numbers them 1, 2, 3 ... (table follows).
    void renumberAll();

    // ---- numbering mode and row order ----
    bool numberingActive() const { return numbering_.active(); }
    int numberingStart() const { return numbering_.start(); }
    int numberingNext() const { return numbering_.next(); }
    bool startNumbering(EditorDialogs& dialogs);
    bool startNumberingAt(int start) { return numbering_.startAt(start); }
    void numberingClick(int row) { numbering_.click(row); }
    void endNumbering() { numbering_.end(); }
    void cancelNumbering() { numbering_.cancel(); }
    void renumber() { list_.renumber(); }
    bool moveTo(EditorDialogs& dialogs);
    // Moves the selected rows so that the first stands at position target - 1.
    bool moveSelectedToNumber(int target);
    // Drag and drop inside the service list: the selected rows go right after targetRow.
    bool dropSelectedAfter(int targetRow);

    // ---- channel edits ----
    bool editChannel(EditorDialogs& dialogs);
    // Applies an accepted Channel Info copy to the service of a row, shifting other numbers. A
    // copy whose type changed between TV and radio moves to the end of the other table (and
    // leaves the favorites of its old kind); when that table is full the edit is refused.
    bool applyEdit(int row, const Service& copy);
    bool addEmptyChannel();
    bool deleteChannels();
    void setLocked(bool locked);
    void setSkipped(bool skipped);
    // Removes services matching pred from rows, favorites and tables (satellite deletion).
    int deleteServicesWhere(const std::function<bool(const Service&)>& pred);

    // ---- favorites tree ----
    // Changes of members are refused while the numbering mode runs.
    const std::vector<FavoriteGroup*>& branch(int kind) const { return favorites_.branch(kind); }
    void selectBranch(int kind) { favorites_.selectBranch(kind); }
    void selectGroup(FavoriteGroup* group) { favorites_.selectGroup(group); }
    void clearTreeSelection() { favorites_.clearTreeSelection(); }
    int selectedBranch() const { return favorites_.selectedBranch(); }
    FavoriteGroup* selectedGroup() const { return favorites_.selectedGroup(); }
    FavoriteGroup* createFavorite(int kind) { return favorites_.createFavorite(kind); }
    FavoriteGroup* createFavoriteFromTree();
    bool addToFavorite(FavoriteGroup* group);
    bool addToSelectedFavorite() { return addToFavorite(selectedGroup()); }
    FavoriteGroup* addToNewFavorite(int kind);
    void addToAllFavorites();
    void deleteFromAllFavorites();
    bool moveMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers,
                     int dropMember) {
        return favorites_.moveMembers(group, selectedMembers, dropMember);
    }
    bool removeMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers) {
        return favorites_.removeMembers(group, selectedMembers);
    }
    bool renameFavorite(FavoriteGroup* group, const std::string& newName) {
        return favorites_.renameFavorite(group, newName);
    }
    bool deleteFavorite(FavoriteGroup* group) { return favorites_.deleteFavorite(group); }

    // Whether a menu command is offered (not greyed out) in the current state.
    bool commandEnabled(int command) const;
    // The menu text of a command ("Add to '%s' " filled with the selected group's name).
    std::string commandText(int command) const;

  private:
    void notify(Change c) const;
    bool moveToOtherTable(int row, const Service& copy);
    bool tableConsecutive(int kind) const;
    void renumberTable(int kind);

    shell::Prompter& prompter_;
    ChannelDatabase db_;
    Listener listener_;
    ServiceList list_;
    NumberingMode numbering_;
    FavoriteEditor favorites_;
    std::filesystem::path currentPath_;
};

}  // namespace velkport::channels
