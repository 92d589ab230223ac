#pragma once
// The channel editor's visible service list: the rows of the shown table (TV or radio) with their
// selection, numbering marks and focus, the sort state, and the step that numbers the rows and
// puts the table in their order. The editor's other parts work on the rows through it.

#include <functional>
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

struct ListRow {
    Service* service = nullptr;
    bool selected = false;
    bool marked = false;  // numbered in numbering mode
    int markNumber = 0;   // the number shown while marked
    int shownNumber() const { return marked ? markNumber : service->channelNumber; }
};

// What changed, for a view that draws the editor.
enum class EditorChange { Rows, RowData, Favorites, Members, Numbering };
using EditorNotify = std::function<void(EditorChange)>;

class ServiceList {
  public:
    ServiceList(ChannelDatabase& db, shell::Prompter& prompter, EditorNotify notify);

    bool radioView() const { return radioView_; }
    void setRadioView(bool radio) { radioView_ = radio; }
    int visibleKind() const { return radioView_ ? kRadio : kTv; }

    int rowCount() const { return static_cast<int>(rows_.size()); }
    const ListRow& row(int i) const { return rows_[static_cast<std::size_t>(i)]; }
    ListRow& row(int i) { return rows_[static_cast<std::size_t>(i)]; }
    const std::vector<ListRow>& rows() const { return rows_; }
    int rowOf(const Service* s) const;
    int focusedRow() const { return focusedRow_; }
    void setFocusedRow(int row);
    void setSelected(int row, bool selected);
    void selectOnly(const std::vector<int>& rows);
    void clearSelection();
    std::vector<int> selectedRows() const;
    bool anySelected() const;

    Column sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }
    void sortByColumn(Column column);
    void sortByChannelNumber();
    bool isConsecutive() const;
    std::string cellText(int row, Column column) const;

    // Puts s at position (clamped); false, with the limit message, when the list is full.
    bool insertRow(Service* s, int position, bool tell);
    // Replaces the rows; the focus follows its service (or is lost with it).
    void setRows(std::vector<ListRow> rows);
    // The rows of the shown table in slot order, or none.
    void fill();
    void clear();
    // Numbers the rows 1, 2, 3 ... and puts the shown table in their order.
    void renumber();
    void rebuildTable();
    void showTableFull(int kind) const;

  private:
    void notify(EditorChange c) const {
        if (notify_)
            notify_(c);
    }

    ChannelDatabase& db_;
    shell::Prompter& prompter_;
    EditorNotify notify_;
    bool radioView_ = false;
    std::vector<ListRow> rows_;
    int focusedRow_ = -1;
    Column sortColumn_ = Column::ChannelNo;
    bool sortAscending_ = false;
};

// Fills the first %d or %s of a catalogue text.
std::string fillText(const std::string& format, int value);
std::string fillText(const std::string& format, const std::string& value);

}  // namespace velkport::channels
