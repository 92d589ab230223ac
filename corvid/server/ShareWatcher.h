#pragma once
// Watches the shared folders and asks for a rescan when files come, go or are renamed: with
// inotify, a moment after the last change; when the folders cannot all be watched, every few
// seconds; and on request (SIGHUP). The rescan runs on the watcher's own thread.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvid::server {

class ShareWatcher {
  public:
    static constexpr std::chrono::milliseconds kSettle{500};       // quiet time after a change
    static constexpr std::chrono::milliseconds kFallback{10000};   // rescan period, no inotify
    static constexpr std::chrono::milliseconds kPeriodic{300000};  // full rescan even so

    explicit ShareWatcher(std::function<void()> rescan);
    ~ShareWatcher();
    ShareWatcher(const ShareWatcher&) = delete;
    ShareWatcher& operator=(const ShareWatcher&) = delete;

    // Adds these folders to the watch (folders already watched stay watched). The watcher's
    // thread adds them: watching a large folder takes the kernel a while.
    void Watch(std::vector<std::string> folders);
    // A rescan as soon as the watcher thread gets to it.
    void RequestRescan();

  private:
    void run();
    void addWatches();

    std::function<void()> rescan_;
    int inotifyFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> watchFailed_{false};
    std::atomic<bool> rescanAsked_{false};
    std::mutex mutex_;
    std::vector<std::string> pending_;  // folders still to watch
    std::thread thread_;
};

}  // namespace corvid::server
