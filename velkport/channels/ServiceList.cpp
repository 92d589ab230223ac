#include "velkport/channels/ServiceList.h"

#include <algorithm>

#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::channels {

using shell::Msg;
using shell::PromptIcon;

namespace {

const char* flagText(int v) {
    return v ? "true" : "false";
}

bool numericColumn(Column c) {
    switch (c) {
        case Column::ChannelNo:
        case Column::SymbolRate:
        case Column::Qam:
        case Column::Frequency:
        case Column::Sid:
        case Column::Oid:
        case Column::Tsid:
            return true;
        default:
            return false;
    }
}

std::int64_t numericValue(const ListRow& r, Column c) {
    const Service& s = *r.service;
    switch (c) {
        case Column::ChannelNo:
            return r.shownNumber();
        case Column::SymbolRate:
            return s.carrierSymbolRate;
        case Column::Qam:
            return s.carrierQam;
        case Column::Frequency:
            return s.carrierFrequency;
        case Column::Sid:
            return s.sid;
        case Column::Oid:
            return s.onid;
        case Column::Tsid:
            return s.tsid;
        default:
            return 0;
    }
}

}  // namespace

std::string fillText(const std::string& format, int value) {
    std::string out = format;
    if (auto p = out.find("%d"); p != std::string::npos)
        out.replace(p, 2, std::to_string(value));
    return out;
}

std::string fillText(const std::string& format, const std::string& value) {
    std::string out = format;
    if (auto p = out.find("%s"); p != std::string::npos)
        out.replace(p, 2, value);
    return out;
}

ServiceList::ServiceList(ChannelDatabase& db, shell::Prompter& prompter, EditorNotify notify)
    : db_(db), prompter_(prompter), notify_(std::move(notify)) {}

int ServiceList::rowOf(const Service* s) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].service == s)
            return static_cast<int>(i);
    return -1;
}

void ServiceList::setFocusedRow(int row) {
    focusedRow_ = (row >= 0 && row < rowCount()) ? row : -1;
}

void ServiceList::setSelected(int row, bool selected) {
    if (row >= 0 && row < rowCount())
        rows_[static_cast<std::size_t>(row)].selected = selected;
}

void ServiceList::selectOnly(const std::vector<int>& rows) {
    clearSelection();
    for (int r : rows)
        setSelected(r, true);
}

void ServiceList::clearSelection() {
    for (auto& r : rows_)
        r.selected = false;
}

std::vector<int> ServiceList::selectedRows() const {
    std::vector<int> out;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].selected)
            out.push_back(static_cast<int>(i));
    return out;
}

void ServiceList::setRows(std::vector<ListRow> rows) {
    const Service* focused =
        focusedRow_ >= 0 ? rows_[static_cast<std::size_t>(focusedRow_)].service : nullptr;
    rows_ = std::move(rows);
    focusedRow_ = focused ? rowOf(focused) : -1;
    notify(EditorChange::Rows);
}

void ServiceList::sortByColumn(Column column) {
    sortColumn_ = column;
    sortAscending_ = !sortAscending_;
    std::vector<ListRow> rows = rows_;
    const bool asc = sortAscending_;
    if (numericColumn(column)) {
        std::stable_sort(rows.begin(), rows.end(), [&](const ListRow& a, const ListRow& b) {
            const auto x = numericValue(a, column), y = numericValue(b, column);
            return asc ? x < y : y < x;
        });
    } else {
        std::vector<std::pair<std::string, ListRow>> keyed;
        keyed.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            keyed.emplace_back(cellText(static_cast<int>(i), column), rows_[i]);
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
            return asc ? a.first < b.first : b.first < a.first;
        });
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i] = keyed[i].second;
    }
    setRows(std::move(rows));
}

void ServiceList::sortByChannelNumber() {
    sortColumn_ = Column::ChannelNo;
    sortAscending_ = true;
    std::vector<ListRow> rows = rows_;
    std::stable_sort(rows.begin(), rows.end(), [](const ListRow& a, const ListRow& b) {
        return a.shownNumber() < b.shownNumber();
    });
    setRows(std::move(rows));
}

bool ServiceList::isConsecutive() const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].shownNumber() != static_cast<int>(i) + 1)
            return false;
    return true;
}

std::string ServiceList::cellText(int row, Column column) const {
    const ListRow& r = rows_[static_cast<std::size_t>(row)];
    const Service& s = *r.service;
    switch (column) {
        case Column::ServiceName:
            return s.name;
        case Column::ServiceType:
            return s.serviceType == kRadio ? "RADIO" : "TV";
        case Column::Scrambled:
            return flagText(s.scrambled);
        case Column::ChildrenLock:
            return flagText(s.locked);
        case Column::Skip:
            return flagText(s.skipped);
        default:
            return std::to_string(numericValue(r, column));
    }
}

bool ServiceList::insertRow(Service* s, int position, bool tell) {
    if (radioView_ ? (rowCount() >= kMaxRadioServices || s->channelNumber >= kMaxTvServices)
                   : (rowCount() >= kMaxTvServices || s->channelNumber >= kMaxTvServices)) {
        showTableFull(visibleKind());
        return false;
    }
    position = std::clamp(position, 0, rowCount());
    rows_.insert(rows_.begin() + position, ListRow{s});
    if (focusedRow_ >= position)
        ++focusedRow_;
    if (tell)
        notify(EditorChange::Rows);
    return true;
}

bool ServiceList::anySelected() const {
    return std::any_of(rows_.begin(), rows_.end(), [](const ListRow& r) { return r.selected; });
}

void ServiceList::fill() {
    rows_.clear();
    focusedRow_ = -1;
    rows_.reserve(static_cast<std::size_t>(ChannelDatabase::capacity(visibleKind())));
    for (Service* s : db_.services(visibleKind()))
        insertRow(s, rowCount(), false);
}

void ServiceList::clear() {
    rows_.clear();
    focusedRow_ = -1;
}

void ServiceList::rebuildTable() {
    std::vector<Service*> order;
    order.reserve(rows_.size());
    for (const auto& r : rows_)
        order.push_back(r.service);
    db_.rebuildTable(visibleKind(), order);
}

void ServiceList::renumber() {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        rows_[i].service->channelNumber = static_cast<int>(i) + 1;
    rebuildTable();
    notify(EditorChange::RowData);
    notify(EditorChange::Members);
}

void ServiceList::showTableFull(int kind) const {
    prompter_.showMessage(
        kind == kRadio ? fillText(Msg(112), kMaxRadioServices) : fillText(Msg(111), kMaxTvServices),
        PromptIcon::Error);
}

}  // namespace velkport::channels
