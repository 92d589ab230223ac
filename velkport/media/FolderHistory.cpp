#include "velkport/media/FolderHistory.h"

namespace velkport::media {

void FolderHistory::Visit(const Entry& entry) {
    if (!entries_.empty() && entries_[current_] == entry)
        return;
    if (!entries_.empty())
        entries_.resize(current_ + 1);
    entries_.push_back(entry);
    if (entries_.size() > kMaxEntries)
        entries_.erase(entries_.begin());
    current_ = entries_.size() - 1;
}

std::optional<FolderHistory::Entry> FolderHistory::Back() {
    if (!canGoBack())
        return std::nullopt;
    return entries_[--current_];
}

std::optional<FolderHistory::Entry> FolderHistory::Forward() {
    if (!canGoForward())
        return std::nullopt;
    return entries_[++current_];
}

}  // namespace velkport::media
