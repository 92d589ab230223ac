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

}  // namespace

ChannelListEditor::ChannelListEditor(shell::Prompter& prompter)
    : prompter_(prompter),
      list_(db_, prompter, [this](Change c) { notify(c); }),
      numbering_(list_, prompter, [this](Change c) { notify(c); }),
      favorites_(db_, list_, prompter, [this](Change c) { notify(c); }) {}

void ChannelListEditor::notify(Change c) const {
    if (listener_)
        listener_(c);
}

void ChannelListEditor::fillFromDatabase() {
    list_.fill();
    favorites_.fill();
    notify(Change::Rows);
    notify(Change::Favorites);
}

bool ChannelListEditor::switchView(bool radio) {
    if (radio == radioView())
        return true;
    if (numberingActive()) {
        if (!prompter_.askYesNo(Msg(140)))
            return false;
        cancelNumbering();
    }
    list_.setRadioView(radio);
    list_.fill();
    sortByChannelNumber();
    return true;
}

void ChannelListEditor::clearAll() {
    numbering_.reset();
    list_.clear();
    favorites_.clear();
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
    const int hidden = radioView() ? kTv : kRadio;
    if (!isConsecutive() || !tableConsecutive(hidden)) {
        if (!prompter_.askYesNo(Msg(98)))
            return {WriteResult::Declined};
    }
    renumber();
    renumberTable(hidden);
    std::string error;
    if (!ChannelListFile::write(db_, branch(kTv), branch(kRadio), path, &error)) {
        prompter_.showMessage(error, PromptIcon::Error);
        return {WriteResult::Failed};
    }
    if (!keepCurrentPath)
        currentPath_ = path;
    return {WriteResult::Written};
}

void ChannelListEditor::renumberAll() {
    const int hidden = radioView() ? kTv : kRadio;
    sortByChannelNumber();
    renumber();
    renumberTable(hidden);
}

// ---------------------------------------------------------------- numbering and order

bool ChannelListEditor::startNumbering(EditorDialogs& dialogs) {
    if (numberingActive())
        return false;
    auto n = dialogs.askNumber(InputMode::Start, rowCount(), {});
    if (!n)
        return false;
    return startNumberingAt(*n);
}

bool ChannelListEditor::moveTo(EditorDialogs& dialogs) {
    if (numberingActive() || selectedRows().empty())
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
    if (list_.row(target - 1).selected)
        return false;
    std::vector<ListRow> moved, rest;
    for (const auto& r : rows())
        (r.selected ? moved : rest).push_back(r);
    if (moved.empty())
        return false;
    const std::size_t insertAt = std::min(at, rest.size());
    rest.insert(rest.begin() + static_cast<std::ptrdiff_t>(insertAt), moved.begin(), moved.end());
    list_.setRows(std::move(rest));
    renumber();
    return true;
}

bool ChannelListEditor::dropSelectedAfter(int targetRow) {
    if (numberingActive() || targetRow < 0 || targetRow >= rowCount())
        return false;
    if (!isConsecutive()) {
        if (prompter_.askYesNo(Msg(122)))
            sortByChannelNumber();
        return false;
    }
    if (list_.row(targetRow).selected)
        return false;
    const Service* target = list_.row(targetRow).service;
    std::vector<ListRow> moved, rest;
    for (const auto& r : rows())
        (r.selected ? moved : rest).push_back(r);
    if (moved.empty())
        return false;
    auto it = std::find_if(rest.begin(), rest.end(),
                           [&](const ListRow& r) { return r.service == target; });
    rest.insert(it + 1, moved.begin(), moved.end());
    list_.setRows(std::move(rest));
    return true;
}

// ---------------------------------------------------------------- channel edits

bool ChannelListEditor::editChannel(EditorDialogs& dialogs) {
    const auto sel = selectedRows();
    if (numberingActive() || sel.size() != 1)
        return false;
    Service copy = *row(sel[0]).service;
    if (!dialogs.editService(copy, rowCount()))
        return false;
    return applyEdit(sel[0], copy);
}

bool ChannelListEditor::applyEdit(int rowIndex, const Service& copy) {
    if (rowIndex < 0 || rowIndex >= rowCount())
        return false;
    Service* target = list_.row(rowIndex).service;
    if (copy.serviceType != target->serviceType)
        return moveToOtherTable(rowIndex, copy);
    const int o = target->channelNumber, n = copy.channelNumber;
    if (n != o)
        for (const auto& r : rows()) {
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

bool ChannelListEditor::moveToOtherTable(int rowIndex, const Service& copy) {
    const int kind = copy.serviceType;
    if ((kind != kTv && kind != kRadio) || kind == visibleKind())
        return false;
    if (db_.countServices(kind) >= ChannelDatabase::capacity(kind)) {
        list_.showTableFull(kind);
        return false;
    }
    auto moved = std::make_unique<Service>(copy);
    moved->channelNumber = db_.countServices(kind) + 1;
    for (const Service* s : db_.services(kind))
        moved->channelNumber = std::max(moved->channelNumber, s->channelNumber + 1);
    Service* target = list_.row(rowIndex).service;
    db_.removeFromFavorites(target);
    std::vector<ListRow> rest = rows();
    rest.erase(rest.begin() + rowIndex);
    list_.setRows(std::move(rest));
    db_.removeService(target);
    db_.addService(std::move(moved));
    sortByChannelNumber();
    renumber();
    notify(Change::Favorites);
    return true;
}

bool ChannelListEditor::addEmptyChannel() {
    if (numberingActive())
        return false;
    if (!isConsecutive()) {
        prompter_.showMessage(Msg(96), PromptIcon::Information);
        sortByChannelNumber();
        return false;
    }
    auto s = std::make_unique<Service>();
    const Service* focused = focusedRow() >= 0 ? row(focusedRow()).service : nullptr;
    s->serviceType = static_cast<std::uint8_t>(visibleKind());
    if (focused) {
        s->satelliteId = focused->satelliteId;
        s->transponderFrequency = focused->transponderFrequency;
    }
    s->name = Msg(280);
    Service* raw = s.get();
    const int position = focusedRow() >= 0 ? focusedRow() : rowCount();
    // The row limits come first so that a refused channel never enters the table.
    if (rowCount() >= ChannelDatabase::capacity(visibleKind())) {
        list_.insertRow(raw, position, true);  // shows the limit message and refuses
        return false;
    }
    if (!db_.addService(std::move(s))) {
        list_.showTableFull(visibleKind());
        return false;
    }
    if (!list_.insertRow(raw, position, true)) {
        db_.removeService(raw);
        return false;
    }
    list_.setFocusedRow(position);
    return true;
}

bool ChannelListEditor::deleteChannels() {
    const auto sel = selectedRows();
    if (numberingActive() || sel.empty())
        return false;
    std::vector<std::string> names;
    for (int r : sel)
        names.push_back(row(r).service->name);
    if (!FavoriteEditor::confirmDelete(prompter_, names))
        return false;
    std::vector<ListRow> rest;
    rest.reserve(rows().size());
    std::unordered_set<const Service*> gone;
    for (const auto& r : rows()) {
        if (r.selected)
            gone.insert(r.service);
        else
            rest.push_back(r);
    }
    for (auto it = sel.rbegin(); it != sel.rend(); ++it) {
        Service* s = row(*it).service;
        db_.removeFromFavorites(s);
    }
    if (focusedRow() >= 0 && gone.count(row(focusedRow()).service))
        list_.setFocusedRow(-1);
    list_.setRows(std::move(rest));
    for (const Service* s : gone)
        db_.removeService(s);
    sortByChannelNumber();
    renumber();
    notify(Change::Favorites);
    return true;
}

void ChannelListEditor::setLocked(bool locked) {
    for (const auto& r : rows())
        if (r.selected)
            r.service->locked = locked ? 1 : 0;
    notify(Change::RowData);
}

void ChannelListEditor::setSkipped(bool skipped) {
    for (const auto& r : rows())
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
    if (focusedRow() >= 0 && gone.count(row(focusedRow()).service))
        list_.setFocusedRow(-1);
    std::vector<ListRow> rest;
    for (const auto& r : rows())
        if (!gone.count(r.service))
            rest.push_back(r);
    list_.setRows(std::move(rest));
    for (Service* s : doomed) {
        db_.removeFromFavorites(s);
        db_.removeService(s);
    }
    notify(Change::Favorites);
    return static_cast<int>(doomed.size());
}

// ---------------------------------------------------------------- favorites

FavoriteGroup* ChannelListEditor::createFavoriteFromTree() {
    return selectedBranch() < 0 ? nullptr : createFavorite(selectedBranch());
}

bool ChannelListEditor::addToFavorite(FavoriteGroup* group) {
    return !numberingActive() && favorites_.addToFavorite(group);
}

FavoriteGroup* ChannelListEditor::addToNewFavorite(int kind) {
    return numberingActive() ? nullptr : favorites_.addToNewFavorite(kind);
}

void ChannelListEditor::addToAllFavorites() {
    if (!numberingActive())
        favorites_.addToAllFavorites();
}

void ChannelListEditor::deleteFromAllFavorites() {
    if (!numberingActive())
        favorites_.deleteFromAllFavorites();
}

// ---------------------------------------------------------------- menu

bool ChannelListEditor::commandEnabled(int command) const {
    const bool numbering = numberingActive();
    const bool anySelected = list_.anySelected();
    switch (command) {
        case kCmdStartNumbering:
            return !numbering;
        case kCmdEndNumbering:
        case kCmdCancelNumbering:
            return numbering;
        case kCmdAddToFavorite:
            return !numbering && selectedGroup() && selectedGroup()->kind == visibleKind();
        case kCmdAddToNewTvFavorite:
            return !numbering && !radioView() && anySelected;
        case kCmdAddToNewRadioFavorite:
            return !numbering && radioView() && anySelected;
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
            return fillText(Msg(127), selectedGroup() ? selectedGroup()->name : "");
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
