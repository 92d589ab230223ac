#include "velkport/channels/ChannelListEditor.h"

#include <algorithm>
#include <unordered_set>

#include "velkport/channels/ChannelListFile.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::channels {

using shell::Msg;
using shell::PromptIcon;

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::size_t utf8Length(const std::string& s) {
    return static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

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

ChannelListEditor::ChannelListEditor(shell::Prompter& prompter) : prompter_(prompter) {}

void ChannelListEditor::notify(Change c) const {
    if (listener_)
        listener_(c);
}

// ---------------------------------------------------------------- the visible list

int ChannelListEditor::rowOf(const Service* s) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].service == s)
            return static_cast<int>(i);
    return -1;
}

void ChannelListEditor::setFocusedRow(int row) {
    focusedRow_ = (row >= 0 && row < rowCount()) ? row : -1;
}

void ChannelListEditor::setSelected(int row, bool selected) {
    if (row >= 0 && row < rowCount())
        rows_[static_cast<std::size_t>(row)].selected = selected;
}

void ChannelListEditor::selectOnly(const std::vector<int>& rows) {
    clearSelection();
    for (int r : rows)
        setSelected(r, true);
}

void ChannelListEditor::clearSelection() {
    for (auto& r : rows_)
        r.selected = false;
}

std::vector<int> ChannelListEditor::selectedRows() const {
    std::vector<int> out;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].selected)
            out.push_back(static_cast<int>(i));
    return out;
}

void ChannelListEditor::setRows(std::vector<ListRow> rows) {
    const Service* focused =
        focusedRow_ >= 0 ? rows_[static_cast<std::size_t>(focusedRow_)].service : nullptr;
    rows_ = std::move(rows);
    focusedRow_ = focused ? rowOf(focused) : -1;
    notify(Change::Rows);
}

void ChannelListEditor::sortByColumn(Column column) {
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

void ChannelListEditor::sortByChannelNumber() {
    sortColumn_ = Column::ChannelNo;
    sortAscending_ = true;
    std::vector<ListRow> rows = rows_;
    std::stable_sort(rows.begin(), rows.end(), [](const ListRow& a, const ListRow& b) {
        return a.shownNumber() < b.shownNumber();
    });
    setRows(std::move(rows));
}

bool ChannelListEditor::isConsecutive() const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].shownNumber() != static_cast<int>(i) + 1)
            return false;
    return true;
}

std::string ChannelListEditor::cellText(int row, Column column) const {
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

bool ChannelListEditor::insertRow(Service* s, int position, bool tell) {
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
        notify(Change::Rows);
    return true;
}

void ChannelListEditor::fillFromDatabase() {
    rows_.clear();
    focusedRow_ = -1;
    rows_.reserve(static_cast<std::size_t>(ChannelDatabase::capacity(visibleKind())));
    for (Service* s : db_.services(visibleKind()))
        insertRow(s, rowCount(), false);
    tvBranch_ = db_.favoriteGroups(kTv);
    radioBranch_ = db_.favoriteGroups(kRadio);
    treeKind_ = -1;
    treeGroup_ = nullptr;
    notify(Change::Rows);
    notify(Change::Favorites);
}

bool ChannelListEditor::switchView(bool radio) {
    if (radio == radioView_)
        return true;
    if (numberingActive_) {
        if (!prompter_.askYesNo(Msg(140)))
            return false;
        cancelNumbering();
    }
    radioView_ = radio;
    rows_.clear();
    focusedRow_ = -1;
    for (Service* s : db_.services(visibleKind()))
        insertRow(s, rowCount(), false);
    sortByChannelNumber();
    return true;
}

void ChannelListEditor::clearAll() {
    numberingActive_ = false;
    numberingNext_ = -1;
    rows_.clear();
    focusedRow_ = -1;
    tvBranch_.clear();
    radioBranch_.clear();
    treeKind_ = -1;
    treeGroup_ = nullptr;
    db_.clear();
    notify(Change::Rows);
    notify(Change::Favorites);
}

bool ChannelListEditor::empty() const {
    return db_.countServices(kTv) == 0 && db_.countServices(kRadio) == 0;
}

// ---------------------------------------------------------------- files

bool ChannelListEditor::openFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        prompter_.showMessage(Msg(95), PromptIcon::Error);
        return false;
    }
    clearAll();
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), lowerAscii);
    if (ext != ".xml") {
        prompter_.showMessage(Msg(95), PromptIcon::Error);
        return false;
    }
    readChannelList(path);
    sortByChannelNumber();
    if (!isConsecutive()) {
        prompter_.showMessage(Msg(96), PromptIcon::Information);
        renumber();
    }
    currentPath_ = path;
    return true;
}

bool ChannelListEditor::readSucceeded(int rc) {
    return rc == ChannelListFile::kSuccess || rc == ChannelListFile::kFileDone;
}

int ChannelListEditor::readChannelList(const std::filesystem::path& path) {
    ChannelDatabase fresh;
    const int rc = ChannelListFile::read(fresh, path, prompter_);
    if (!readSucceeded(rc))
        return rc;
    clearAll();
    db_.swap(fresh);
    fillFromDatabase();
    return rc;
}

bool ChannelListEditor::tableConsecutive(int kind) const {
    // The numbers, in whatever slot order, are 1, 2, 3 ... without gaps or repeats.
    std::vector<int> numbers;
    for (const Service* s : db_.services(kind))
        numbers.push_back(s->channelNumber);
    std::sort(numbers.begin(), numbers.end());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        if (numbers[i] != static_cast<int>(i) + 1)
            return false;
    return true;
}

void ChannelListEditor::renumberTable(int kind) {
    std::vector<Service*> order = db_.services(kind);
    std::stable_sort(order.begin(), order.end(), [](const Service* a, const Service* b) {
        return a->channelNumber < b->channelNumber;
    });
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i]->channelNumber = static_cast<int>(i) + 1;
    db_.rebuildTable(kind, order);
}

ChannelListEditor::WriteResult ChannelListEditor::writeChannelList(
    const std::filesystem::path& path, bool keepCurrentPath) {
    sortByChannelNumber();
    // Favorites are stored by channel number and found again by table position, so both tables
    // must stand in number order 1, 2, 3 ... when written: the list that is not shown as well,
    // and the shown one even when its numbers are right but its table is not in their order
    // (after Edit Channel, for instance).
    const int hidden = radioView_ ? kTv : kRadio;
    if (!isConsecutive() || !tableConsecutive(hidden)) {
        if (!prompter_.askYesNo(Msg(98)))
            return {WriteResult::Declined};
    }
    renumber();
    renumberTable(hidden);
    std::string error;
    if (!ChannelListFile::write(db_, tvBranch_, radioBranch_, path, &error)) {
        prompter_.showMessage(error, PromptIcon::Error);
        return {WriteResult::Failed};
    }
    if (!keepCurrentPath)
        currentPath_ = path;
    return {WriteResult::Written};
}

void ChannelListEditor::renumberAll() {
    const int hidden = radioView_ ? kTv : kRadio;
    sortByChannelNumber();
    renumber();
    renumberTable(hidden);
}

// ---------------------------------------------------------------- numbering and order

void ChannelListEditor::rebuildVisibleTable() {
    std::vector<Service*> order;
    order.reserve(rows_.size());
    for (const auto& r : rows_)
        order.push_back(r.service);
    db_.rebuildTable(visibleKind(), order);
}

void ChannelListEditor::renumber() {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        rows_[i].service->channelNumber = static_cast<int>(i) + 1;
    rebuildVisibleTable();
    notify(Change::RowData);
    notify(Change::Members);
}

bool ChannelListEditor::startNumbering(EditorDialogs& dialogs) {
    if (numberingActive_)
        return false;
    auto n = dialogs.askNumber(InputMode::Start, rowCount(), {});
    if (!n)
        return false;
    return startNumberingAt(*n);
}

bool ChannelListEditor::startNumberingAt(int start) {
    if (numberingActive_ || start < 1 || start > rowCount())
        return false;
    numberingActive_ = true;
    numberingStart_ = numberingNext_ = start;
    notify(Change::Numbering);
    if (focusedRow_ >= 0)
        numberingClick(focusedRow_);
    return true;
}

void ChannelListEditor::numberingClick(int row) {
    if (!numberingActive_ || row < 0 || row >= rowCount())
        return;
    focusedRow_ = row;
    ListRow& r = rows_[static_cast<std::size_t>(row)];
    if (!r.marked) {
        if (numberingNext_ > rowCount()) {
            prompter_.showMessage(fillText(Msg(141), rowCount()), PromptIcon::Warning);
            return;
        }
        r.marked = true;
        r.markNumber = numberingNext_++;
    } else if (r.markNumber == numberingNext_ - 1) {
        r.marked = false;
        --numberingNext_;
    } else {
        return;
    }
    notify(Change::RowData);
}

void ChannelListEditor::endNumbering() {
    if (!numberingActive_)
        return;
    std::vector<ListRow> sorted = rows_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const ListRow& a, const ListRow& b) {
        return a.shownNumber() < b.shownNumber();
    });
    std::vector<ListRow> marked, others;
    for (const auto& r : sorted)
        (r.marked ? marked : others).push_back(r);
    std::vector<ListRow> result;
    result.reserve(sorted.size());
    const std::size_t first = static_cast<std::size_t>(numberingStart_ - 1);
    std::size_t m = 0, u = 0;
    for (std::size_t pos = 0; pos < sorted.size(); ++pos) {
        const bool inMarked = pos >= first && m < marked.size();
        ListRow r = inMarked ? marked[m++] : (u < others.size() ? others[u++] : marked[m++]);
        r.marked = false;
        r.service->channelNumber = static_cast<int>(pos) + 1;
        result.push_back(r);
    }
    numberingActive_ = false;
    numberingNext_ = -1;
    setRows(std::move(result));
    rebuildVisibleTable();
    notify(Change::Members);
    notify(Change::Numbering);
}

void ChannelListEditor::cancelNumbering() {
    for (auto& r : rows_)
        r.marked = false;
    numberingActive_ = false;
    numberingNext_ = -1;
    notify(Change::RowData);
    notify(Change::Numbering);
}

bool ChannelListEditor::moveTo(EditorDialogs& dialogs) {
    if (numberingActive_ || selectedRows().empty())
        return false;
    if (!isConsecutive()) {
        if (!prompter_.askYesNo(Msg(122)))
            return false;
        sortByChannelNumber();
    }
    std::vector<int> selectedNumbers;
    for (int r : selectedRows())
        selectedNumbers.push_back(row(r).shownNumber());
    auto target = dialogs.askNumber(InputMode::Move, rowCount(), selectedNumbers);
    if (!target)
        return false;
    return moveSelectedToNumber(*target);
}

bool ChannelListEditor::moveSelectedToNumber(int target) {
    if (target < 1 || target > rowCount())
        return false;
    const std::size_t at = static_cast<std::size_t>(target - 1);
    if (rows_[at].selected)
        return false;
    std::vector<ListRow> moved, rest;
    for (const auto& r : rows_)
        (r.selected ? moved : rest).push_back(r);
    if (moved.empty())
        return false;
    const std::size_t insertAt = std::min(at, rest.size());
    rest.insert(rest.begin() + static_cast<std::ptrdiff_t>(insertAt), moved.begin(), moved.end());
    setRows(std::move(rest));
    renumber();
    return true;
}

bool ChannelListEditor::dropSelectedAfter(int targetRow) {
    if (numberingActive_ || targetRow < 0 || targetRow >= rowCount())
        return false;
    if (!isConsecutive()) {
        if (prompter_.askYesNo(Msg(122)))
            sortByChannelNumber();
        return false;
    }
    if (rows_[static_cast<std::size_t>(targetRow)].selected)
        return false;
    const Service* target = rows_[static_cast<std::size_t>(targetRow)].service;
    std::vector<ListRow> moved, rest;
    for (const auto& r : rows_)
        (r.selected ? moved : rest).push_back(r);
    if (moved.empty())
        return false;
    auto it = std::find_if(rest.begin(), rest.end(),
                           [&](const ListRow& r) { return r.service == target; });
    rest.insert(it + 1, moved.begin(), moved.end());
    setRows(std::move(rest));
    return true;
}

// ---------------------------------------------------------------- channel edits

bool ChannelListEditor::editChannel(EditorDialogs& dialogs) {
    const auto sel = selectedRows();
    if (numberingActive_ || sel.size() != 1)
        return false;
    Service copy = *row(sel[0]).service;
    if (!dialogs.editService(copy, rowCount()))
        return false;
    return applyEdit(sel[0], copy);
}

bool ChannelListEditor::applyEdit(int rowIndex, const Service& copy) {
    if (rowIndex < 0 || rowIndex >= rowCount())
        return false;
    Service* target = rows_[static_cast<std::size_t>(rowIndex)].service;
    if (copy.serviceType != target->serviceType)
        return moveToOtherTable(rowIndex, copy);
    const int o = target->channelNumber, n = copy.channelNumber;
    if (n != o)
        for (auto& r : rows_) {
            if (r.service == target)
                continue;
            int& k = r.service->channelNumber;
            if (n > o && k > o && k <= n)
                --k;
            else if (n < o && k >= n && k < o)
                ++k;
        }
    *target = copy;
    notify(Change::RowData);
    notify(Change::Members);
    return true;
}

void ChannelListEditor::showTableFull(int kind) const {
    prompter_.showMessage(
        kind == kRadio ? fillText(Msg(112), kMaxRadioServices) : fillText(Msg(111), kMaxTvServices),
        PromptIcon::Error);
}

bool ChannelListEditor::moveToOtherTable(int rowIndex, const Service& copy) {
    const int kind = copy.serviceType;
    if ((kind != kTv && kind != kRadio) || kind == visibleKind())
        return false;
    if (db_.countServices(kind) >= ChannelDatabase::capacity(kind)) {
        showTableFull(kind);
        return false;
    }
    auto moved = std::make_unique<Service>(copy);
    moved->channelNumber = db_.countServices(kind) + 1;
    for (const Service* s : db_.services(kind))
        moved->channelNumber = std::max(moved->channelNumber, s->channelNumber + 1);
    Service* target = rows_[static_cast<std::size_t>(rowIndex)].service;
    db_.removeFromFavorites(target);
    std::vector<ListRow> rest = rows_;
    rest.erase(rest.begin() + rowIndex);
    setRows(std::move(rest));
    db_.removeService(target);
    db_.addService(std::move(moved));
    sortByChannelNumber();
    renumber();
    notify(Change::Favorites);
    return true;
}

bool ChannelListEditor::addEmptyChannel() {
    if (numberingActive_)
        return false;
    if (!isConsecutive()) {
        prompter_.showMessage(Msg(96), PromptIcon::Information);
        sortByChannelNumber();
        return false;
    }
    auto s = std::make_unique<Service>();
    const Service* focused = focusedRow_ >= 0 ? row(focusedRow_).service : nullptr;
    s->serviceType = static_cast<std::uint8_t>(visibleKind());
    if (focused) {
        s->satelliteId = focused->satelliteId;
        s->transponderFrequency = focused->transponderFrequency;
    }
    s->name = Msg(280);
    Service* raw = s.get();
    const int position = focusedRow_ >= 0 ? focusedRow_ : rowCount();
    // The row limits come first so that a refused channel never enters the table.
    if (rowCount() >= ChannelDatabase::capacity(visibleKind())) {
        insertRow(raw, position, true);  // shows the limit message and refuses
        return false;
    }
    if (!db_.addService(std::move(s))) {
        showTableFull(visibleKind());
        return false;
    }
    if (!insertRow(raw, position, true)) {
        db_.removeService(raw);
        return false;
    }
    focusedRow_ = position;
    return true;
}

bool ChannelListEditor::confirmDelete(const std::vector<std::string>& names) {
    if (names.empty())
        return false;
    const std::string q = names.size() == 1 ? fillText(Msg(113), names.front())
                                            : fillText(Msg(114), static_cast<int>(names.size()));
    return prompter_.askYesNo(q);
}

bool ChannelListEditor::deleteChannels() {
    const auto sel = selectedRows();
    if (numberingActive_ || sel.empty())
        return false;
    std::vector<std::string> names;
    for (int r : sel)
        names.push_back(row(r).service->name);
    if (!confirmDelete(names))
        return false;
    std::vector<ListRow> rest;
    rest.reserve(rows_.size());
    std::unordered_set<const Service*> gone;
    for (const auto& r : rows_) {
        if (r.selected)
            gone.insert(r.service);
        else
            rest.push_back(r);
    }
    for (auto it = sel.rbegin(); it != sel.rend(); ++it) {
        Service* s = row(*it).service;
        db_.removeFromFavorites(s);
    }
    if (focusedRow_ >= 0 && gone.count(row(focusedRow_).service))
        focusedRow_ = -1;
    setRows(std::move(rest));
    for (const Service* s : gone)
        db_.removeService(s);
    sortByChannelNumber();
    renumber();
    notify(Change::Favorites);
    return true;
}

void ChannelListEditor::setLocked(bool locked) {
    for (auto& r : rows_)
        if (r.selected)
            r.service->locked = locked ? 1 : 0;
    notify(Change::RowData);
}

void ChannelListEditor::setSkipped(bool skipped) {
    for (auto& r : rows_)
        if (r.selected)
            r.service->skipped = skipped ? 1 : 0;
    notify(Change::RowData);
}

int ChannelListEditor::deleteServicesWhere(const std::function<bool(const Service&)>& pred) {
    std::vector<Service*> doomed;
    for (int kind : {kTv, kRadio})
        for (Service* s : db_.services(kind))
            if (pred(*s))
                doomed.push_back(s);
    if (doomed.empty())
        return 0;
    std::unordered_set<const Service*> gone(doomed.begin(), doomed.end());
    if (focusedRow_ >= 0 && gone.count(row(focusedRow_).service))
        focusedRow_ = -1;
    std::vector<ListRow> rest;
    for (const auto& r : rows_)
        if (!gone.count(r.service))
            rest.push_back(r);
    setRows(std::move(rest));
    for (Service* s : doomed) {
        db_.removeFromFavorites(s);
        db_.removeService(s);
    }
    notify(Change::Favorites);
    return static_cast<int>(doomed.size());
}

// ---------------------------------------------------------------- favorites

const std::vector<FavoriteGroup*>& ChannelListEditor::branch(int kind) const {
    return kind == kRadio ? radioBranch_ : tvBranch_;
}

bool ChannelListEditor::inTree(const FavoriteGroup* g) const {
    // By address only: a group that has left the tree may already be freed.
    return g && (std::find(tvBranch_.begin(), tvBranch_.end(), g) != tvBranch_.end() ||
                 std::find(radioBranch_.begin(), radioBranch_.end(), g) != radioBranch_.end());
}

void ChannelListEditor::selectBranch(int kind) {
    treeKind_ = kind == kRadio ? kRadio : kTv;
    treeGroup_ = nullptr;
    notify(Change::Members);
}

void ChannelListEditor::selectGroup(FavoriteGroup* group) {
    if (!inTree(group))
        return;
    treeKind_ = group->kind;
    treeGroup_ = group;
    notify(Change::Members);
}

void ChannelListEditor::clearTreeSelection() {
    treeKind_ = -1;
    treeGroup_ = nullptr;
    notify(Change::Members);
}

FavoriteGroup* ChannelListEditor::createFavorite(int kind) {
    if (kind != kTv && kind != kRadio)
        return nullptr;
    auto& b = kind == kRadio ? radioBranch_ : tvBranch_;
    const int id = db_.freeFavoriteId(kind);
    if (b.size() >= kMaxFavoriteGroups || id < 0) {
        prompter_.showMessage(Msg(110), PromptIcon::Error);
        return nullptr;
    }
    auto taken = [&](const std::string& name) {
        return std::any_of(b.begin(), b.end(),
                           [&](const FavoriteGroup* g) { return equalNoCase(g->name, name); });
    };
    std::string name = Msg(281);
    for (int i = 1; taken(name); ++i)
        name = fillText(Msg(282), i);
    auto g = std::make_unique<FavoriteGroup>();
    g->id = id;
    g->kind = kind;
    g->name = name;
    FavoriteGroup* raw = g.get();
    if (!db_.addFavoriteGroup(std::move(g)))
        return nullptr;
    b.push_back(raw);
    notify(Change::Favorites);
    return raw;
}

FavoriteGroup* ChannelListEditor::createFavoriteFromTree() {
    if (treeKind_ < 0)
        return nullptr;
    return createFavorite(treeKind_);
}

bool ChannelListEditor::addToFavorite(FavoriteGroup* group) {
    if (numberingActive_ || !inTree(group) || group->kind != visibleKind())
        return false;
    group->closeUp();
    for (const auto& r : rows_) {
        if (!r.selected || group->contains(r.service))
            continue;
        if (!group->append(r.service))
            break;
    }
    notify(Change::Members);
    return true;
}

FavoriteGroup* ChannelListEditor::addToNewFavorite(int kind) {
    if (numberingActive_ || kind != visibleKind() || selectedRows().empty())
        return nullptr;
    FavoriteGroup* g = createFavorite(kind);
    if (g)
        addToFavorite(g);
    return g;
}

void ChannelListEditor::addToAllFavorites() {
    if (numberingActive_)
        return;
    for (FavoriteGroup* g : branch(visibleKind()))
        addToFavorite(g);
}

void ChannelListEditor::deleteFromAllFavorites() {
    if (numberingActive_)
        return;
    for (const auto& r : rows_)
        if (r.selected)
            db_.removeFromFavorites(r.service);
    notify(Change::Members);
}

bool ChannelListEditor::moveMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers,
                                    int dropMember) {
    if (!inTree(group)) {
        prompter_.showMessage("Can not find favorite group", PromptIcon::Error);
        return false;
    }
    group->closeUp();
    const int count = group->memberCount();
    if (dropMember < 0 || dropMember >= count)
        return false;
    std::vector<bool> chosen(static_cast<std::size_t>(count), false);
    for (int m : selectedMembers)
        if (m >= 0 && m < count)
            chosen[static_cast<std::size_t>(m)] = true;
    std::vector<Service*> order;
    for (int i = 0; i <= dropMember; ++i)
        if (!chosen[static_cast<std::size_t>(i)])
            order.push_back(group->members[static_cast<std::size_t>(i)]);
    for (int i = 0; i < count; ++i)
        if (chosen[static_cast<std::size_t>(i)])
            order.push_back(group->members[static_cast<std::size_t>(i)]);
    for (int i = dropMember + 1; i < count; ++i)
        if (!chosen[static_cast<std::size_t>(i)])
            order.push_back(group->members[static_cast<std::size_t>(i)]);
    std::copy(order.begin(), order.end(), group->members.begin());
    notify(Change::Members);
    return true;
}

bool ChannelListEditor::removeMembers(FavoriteGroup* group,
                                      const std::vector<int>& selectedMembers) {
    if (!inTree(group))
        return false;
    group->closeUp();
    const int count = group->memberCount();
    std::vector<Service*> chosen;
    std::vector<std::string> names;
    for (int m : selectedMembers)
        if (m >= 0 && m < count) {
            Service* s = group->members[static_cast<std::size_t>(m)];
            if (std::find(chosen.begin(), chosen.end(), s) == chosen.end()) {
                chosen.push_back(s);
                names.push_back(s->name);
            }
        }
    if (!confirmDelete(names))
        return false;
    for (const Service* s : chosen)
        group->remove(s);
    notify(Change::Members);
    return true;
}

bool ChannelListEditor::renameFavorite(FavoriteGroup* group, const std::string& newName) {
    if (!inTree(group))
        return false;
    if (newName.empty()) {
        prompter_.showMessage(Msg(117), PromptIcon::Error);
        return false;
    }
    if (newName.find('@') != std::string::npos) {
        prompter_.showMessage(Msg(116), PromptIcon::Error);
        return false;
    }
    if (utf8Length(newName) >= 20) {
        prompter_.showMessage(Msg(118), PromptIcon::Error);
        return false;
    }
    if (!equalNoCase(newName, group->name))
        for (const FavoriteGroup* other : branch(group->kind))
            if (other != group && equalNoCase(other->name, newName)) {
                prompter_.showMessage("This favorite name is already exist", PromptIcon::Error);
                return false;
            }
    group->name = newName;
    notify(Change::Favorites);
    return true;
}

bool ChannelListEditor::deleteFavorite(FavoriteGroup* group) {
    if (!inTree(group))
        return false;
    auto& b = group->kind == kRadio ? radioBranch_ : tvBranch_;
    b.erase(std::find(b.begin(), b.end(), group));
    if (treeGroup_ == group)
        treeGroup_ = nullptr;
    group->members.fill(nullptr);
    db_.removeFavoriteGroup(group);
    notify(Change::Favorites);
    return true;
}

// ---------------------------------------------------------------- menu

bool ChannelListEditor::commandEnabled(int command) const {
    const bool numbering = numberingActive_;
    const bool anySelected =
        std::any_of(rows_.begin(), rows_.end(), [](const ListRow& r) { return r.selected; });
    switch (command) {
        case kCmdStartNumbering:
            return !numbering;
        case kCmdEndNumbering:
        case kCmdCancelNumbering:
            return numbering;
        case kCmdAddToFavorite:
            return !numbering && treeGroup_ && treeGroup_->kind == visibleKind();
        case kCmdAddToNewTvFavorite:
            return !numbering && !radioView_ && anySelected;
        case kCmdAddToNewRadioFavorite:
            return !numbering && radioView_ && anySelected;
        case kCmdEditChannel:
            return !numbering && selectedRows().size() == 1;
        case kCmdMoveTo:
        case kCmdRenumbering:
        case kCmdAddToAllFavorites:
        case kCmdDeleteFromAllFavorites:
        case kCmdAddEmptyChannel:
        case kCmdDeleteChannels:
        case kCmdLockChannels:
        case kCmdUnlockChannels:
        case kCmdSkipChannels:
        case kCmdFreeChannels:
            return !numbering;
        default:
            return false;
    }
}

std::string ChannelListEditor::commandText(int command) const {
    switch (command) {
        case kCmdStartNumbering:
            return Msg(123);
        case kCmdEndNumbering:
            return Msg(124);
        case kCmdCancelNumbering:
            return Msg(126);
        case kCmdMoveTo:
            return Msg(125);
        case kCmdRenumbering:
            return Msg(10);
        case kCmdAddToFavorite:
            return fillText(Msg(127), treeGroup_ ? treeGroup_->name : "");
        case kCmdAddToNewTvFavorite:
            return Msg(128);
        case kCmdAddToNewRadioFavorite:
            return Msg(129);
        case kCmdAddToAllFavorites:
            return Msg(130);
        case kCmdDeleteFromAllFavorites:
            return Msg(132);
        case kCmdAddEmptyChannel:
            return Msg(133);
        case kCmdEditChannel:
            return Msg(134);
        case kCmdDeleteChannels:
            return Msg(131);
        case kCmdLockChannels:
            return Msg(136);
        case kCmdUnlockChannels:
            return Msg(137);
        case kCmdSkipChannels:
            return Msg(138);
        case kCmdFreeChannels:
            return Msg(139);
        default:
            return {};
    }
}

}  // namespace velkport::channels
