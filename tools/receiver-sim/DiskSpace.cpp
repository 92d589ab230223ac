#include "tools/receiver-sim/DiskSpace.h"

#include <system_error>

namespace receiversim {

namespace fs = std::filesystem;

DiskSpace::DiskSpace(fs::path root, std::uint64_t sizeMiB)
    : root_(std::move(root)), total_(sizeMiB * 1024 * 1024) {}

std::uint64_t DiskSpace::usedBytes() {
    std::lock_guard<std::mutex> g(lock_);
    const auto now = std::chrono::steady_clock::now();
    if (now - counted_ > std::chrono::seconds(1)) {
        std::uint64_t used = 0;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(root_, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code fec;
            if (it->is_regular_file(fec) && !it->is_symlink(fec))
                used += it->file_size(fec);
        }
        used_ = used;
        counted_ = now;
    }
    return used_;
}

std::uint64_t DiskSpace::freeBytes() {
    const std::uint64_t used = usedBytes();
    return used < total_ ? total_ - used : 0;
}

void DiskSpace::add(std::int64_t bytes) {
    std::lock_guard<std::mutex> g(lock_);
    if (bytes < 0 && static_cast<std::uint64_t>(-bytes) > used_)
        used_ = 0;
    else
        used_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(used_) + bytes);
}

}  // namespace receiversim
