#pragma once
// The channel editor's logic without a window: the visible service list (rows, shown numbers,
// numbering marks, selection, focus, sort state, TV/radio switch), the favorites tree, and every
// editing operation on them. A list view draws rows() and calls the operations; questions and
// refusals go through the prompter, numbers and channel edits through EditorDialogs.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "velkport/channels/ChannelDatabase.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::channels {

// The service list's columns, in display order.
enum class Column {
    ChannelNo,
    ServiceName,
    ServiceType,
    SymbolRate,
    Qam,
    Frequency,
    Scrambled,
    Sid,
    Oid,
    Tsid,
    ChildrenLock,
    Skip,
};

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

struct ListRow {
    Service* service = nullptr;
    bool selected = false;
    bool marked = false;  // numbered in numbering mode
    int markNumber = 0;   // the number shown while marked
    int shownNumber() const { return marked ? markNumber : service->channelNumber; }
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
    enum class Change { Rows, RowData, Favorites, Members, Numbering };
    using Listener = std::function<void(Change)>;

    explicit ChannelListEditor(shell::Prompter& prompter);

    ChannelDatabase& database() { return db_; }
    const ChannelDatabase& database() const { return db_; }
    shell::Prompter& prompter() { return prompter_; }
    // Told after each change so that a view can refresh what it draws. During "Load from DVR" and
    // "Send to DVR" the calls come from the exchange's worker thread.
    void setListener(Listener listener) { listener_ = std::move(listener); }

    // ---- the visible list ----
    bool radioView() const { return radioView_; }
    int visibleKind() const { return radioView_ ? kRadio : kTv; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const ListRow& row(int i) const { return rows_[static_cast<std::size_t>(i)]; }
    const std::vector<ListRow>& rows() const { return rows_; }
    int rowOf(const Service* s) const;
    int focusedRow() const { return focusedRow_; }
    void setFocusedRow(int row);
    void setSelected(int row, bool selected);
    void selectOnly(const std::vector<int>& rows);
    void clearSelection();
    std::vector<int> selectedRows() const;
    Column sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }
    // A header click: sorts by the column in the direction opposite to the previous sort.
    void sortByColumn(Column column);
    void sortByChannelNumber();
    // True when row i shows channel number i + 1 for every row.
    bool isConsecutive() const;
    // The text a column shows for a row.
    std::string cellText(int row, Column column) const;

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
    bool numberingActive() const { return numberingActive_; }
    int numberingStart() const { return numberingStart_; }
    int numberingNext() const { return numberingNext_; }
    bool startNumbering(EditorDialogs& dialogs);
    bool startNumberingAt(int start);
    void numberingClick(int row);
    void endNumbering();
    void cancelNumbering();
    void renumber();
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
    const std::vector<FavoriteGroup*>& branch(int kind) const;
    void selectBranch(int kind);
    void selectGroup(FavoriteGroup* group);
    void clearTreeSelection();
    int selectedBranch() const { return treeKind_; }
    FavoriteGroup* selectedGroup() const { return treeGroup_; }
    FavoriteGroup* createFavorite(int kind);
    FavoriteGroup* createFavoriteFromTree();
    bool addToFavorite(FavoriteGroup* group);
    bool addToSelectedFavorite() { return addToFavorite(treeGroup_); }
    FavoriteGroup* addToNewFavorite(int kind);
    void addToAllFavorites();
    void deleteFromAllFavorites();
    bool moveMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers, int dropMember);
    bool removeMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers);
    bool renameFavorite(FavoriteGroup* group, const std::string& newName);
    bool deleteFavorite(FavoriteGroup* group);

    // Whether a menu command is offered (not greyed out) in the current state.
    bool commandEnabled(int command) const;
    // The menu text of a command ("Add to '%s' " filled with the selected group's name).
    std::string commandText(int command) const;

  private:
    void notify(Change c) const;
    bool insertRow(Service* s, int position, bool tell);
    bool moveToOtherTable(int row, const Service& copy);
    void showTableFull(int kind) const;
    void setRows(std::vector<ListRow> rows);
    void rebuildVisibleTable();
    bool confirmDelete(const std::vector<std::string>& names);
    bool inTree(const FavoriteGroup* g) const;
    bool tableConsecutive(int kind) const;
    void renumberTable(int kind);

    shell::Prompter& prompter_;
    ChannelDatabase db_;
    Listener listener_;

    bool radioView_ = false;
    std::vector<ListRow> rows_;
    int focusedRow_ = -1;
    Column sortColumn_ = Column::ChannelNo;
    bool sortAscending_ = false;

    bool numberingActive_ = false;
    int numberingStart_ = 0;
    int numberingNext_ = -1;

    std::vector<FavoriteGroup*> tvBranch_;
    std::vector<FavoriteGroup*> radioBranch_;
    int treeKind_ = -1;                   // selected branch (or branch of the selected group)
    FavoriteGroup* treeGroup_ = nullptr;  // selected group, null when a branch item is selected

    std::filesystem::path currentPath_;
};

// Fills the first %d or %s of a catalogue text.
std::string fillText(const std::string& format, int value);
std::string fillText(const std::string& format, const std::string& value);

}  // namespace velkport::channels
