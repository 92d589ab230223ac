#pragma once
// What get-info found for the last id it looked up, so that the usual get-info / open pair for
// one URL walks the tree once. Shared by the web server's threads: every read and write of an
// entry is one locked copy, so no request ever sees half of one entry and half of another.

#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>

namespace corvid::server {

class LastRequestCache {
  public:
    struct Entry {
        std::string id;
        std::uint64_t length = 0;
        std::time_t lastModified = 0;
        std::string contentType;
        std::string path;
    };

    // The cached entry when its id is id.
    std::optional<Entry> find(const std::string& id) const {
        std::lock_guard lock(mutex_);
        if (!valid_ || entry_.id != id)
            return std::nullopt;
        return entry_;
    }

    void store(Entry entry) {
        std::lock_guard lock(mutex_);
        entry_ = std::move(entry);
        valid_ = true;
    }

    void clear() {
        std::lock_guard lock(mutex_);
        entry_ = Entry{};
        valid_ = false;
    }

  private:
    mutable std::mutex mutex_;
    Entry entry_;
    bool valid_ = false;
};

}  // namespace corvid::server
