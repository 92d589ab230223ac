#pragma once
// The emulated receiver's disk as the media areas and game installs see it: a size given on the
// command line, minus everything stored under the receiver's folder.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>

namespace receiversim {

// What is stored under the receiver's disk, in bytes, counted again at most once a second and
// kept up to date by the services that store and remove files in between.
class DiskSpace {
  public:
    DiskSpace(std::filesystem::path root, std::uint64_t sizeMiB);
    std::uint64_t totalBytes() const { return total_; }
    std::uint64_t usedBytes();
    std::uint64_t freeBytes();
    void add(std::int64_t bytes);

  private:
    std::filesystem::path root_;
    std::uint64_t total_;
    std::mutex lock_;
    std::uint64_t used_ = 0;
    std::chrono::steady_clock::time_point counted_{};
};

}  // namespace receiversim
