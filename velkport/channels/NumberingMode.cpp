#include "velkport/channels/NumberingMode.h"

#include <algorithm>

#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::channels {

using shell::Msg;
using shell::PromptIcon;

NumberingMode::NumberingMode(ServiceList& list, shell::Prompter& prompter, EditorNotify notify)
    : list_(list), prompter_(prompter), notify_(std::move(notify)) {}

void NumberingMode::reset() {
    active_ = false;
    next_ = -1;
}

bool NumberingMode::startAt(int start) {
    if (active_ || start < 1 || start > list_.rowCount())
        return false;
    active_ = true;
    start_ = next_ = start;
    notify(EditorChange::Numbering);
    if (list_.focusedRow() >= 0)
        click(list_.focusedRow());
    return true;
}

void NumberingMode::click(int row) {
    if (!active_ || row < 0 || row >= list_.rowCount())
        return;
    list_.setFocusedRow(row);
    ListRow& r = list_.row(row);
    if (!r.marked) {
        if (next_ > list_.rowCount()) {
            prompter_.showMessage(fillText(Msg(141), list_.rowCount()), PromptIcon::Warning);
            return;
        }
        r.marked = true;
        r.markNumber = next_++;
    } else if (r.markNumber == next_ - 1) {
        r.marked = false;
        --next_;
    } else {
        return;
    }
    notify(EditorChange::RowData);
}

void NumberingMode::end() {
    if (!active_)
        return;
    std::vector<ListRow> sorted = list_.rows();
    std::stable_sort(sorted.begin(), sorted.end(), [](const ListRow& a, const ListRow& b) {
        return a.shownNumber() < b.shownNumber();
    });
    std::vector<ListRow> marked, others;
    for (const auto& r : sorted)
        (r.marked ? marked : others).push_back(r);
    std::vector<ListRow> result;
    result.reserve(sorted.size());
    const std::size_t first = static_cast<std::size_t>(start_ - 1);
    std::size_t m = 0, u = 0;
    for (std::size_t pos = 0; pos < sorted.size(); ++pos) {
        const bool inMarked = pos >= first && m < marked.size();
        ListRow r = inMarked ? marked[m++] : (u < others.size() ? others[u++] : marked[m++]);
        r.marked = false;
        r.service->channelNumber = static_cast<int>(pos) + 1;
        result.push_back(r);
    }
    active_ = false;
    next_ = -1;
    list_.setRows(std::move(result));
    list_.rebuildTable();
    notify(EditorChange::Members);
    notify(EditorChange::Numbering);
}

void NumberingMode::cancel() {
    for (int i = 0; i < list_.rowCount(); ++i)
        list_.row(i).marked = false;
    active_ = false;
    next_ = -1;
    notify(EditorChange::RowData);
    notify(EditorChange::Numbering);
}

}  // namespace velkport::channels
