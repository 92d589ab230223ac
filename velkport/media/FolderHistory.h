#pragma once
// The Back / Forward history of a manager window: the folders selected in either tree, each
// with the side it is on. Selecting a new folder drops the entries after the current one; Back
// and Forward move through the rest. A folder selected by Back or Forward itself is not
// recorded again.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace velkport::media {

class FolderHistory {
  public:
    enum class Side { Pc, Receiver };
    struct Entry {
        Side side = Side::Pc;
        std::string folder;  // PC: the path; receiver: the levels joined with "/"
        bool operator==(const Entry&) const = default;
    };
    static constexpr std::size_t kMaxEntries = 256;

    // A folder the user selected; the same folder twice in a row is kept once.
    void Visit(const Entry& entry);
    std::optional<Entry> Back();
    std::optional<Entry> Forward();
    bool canGoBack() const { return current_ > 0; }
    bool canGoForward() const { return current_ + 1 < entries_.size(); }
    const std::vector<Entry>& entries() const { return entries_; }

  private:
    std::vector<Entry> entries_;
    std::size_t current_ = 0;
};

}  // namespace velkport::media
