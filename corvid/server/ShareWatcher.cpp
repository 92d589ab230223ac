#include "corvid/server/ShareWatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace corvid::server {

namespace {

constexpr std::uint64_t kStop = 1ULL << 40;  // added to the wake counter by the destructor

void drain(int fd) {
    char buf[8192];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
}

}  // namespace

ShareWatcher::ShareWatcher(std::function<void()> rescan) : rescan_(std::move(rescan)) {
    inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    watchFailed_ = inotifyFd_ < 0;
    thread_ = std::thread([this] { run(); });
}

ShareWatcher::~ShareWatcher() {
    const std::uint64_t stop = kStop;
    if (::write(wakeFd_, &stop, sizeof stop) != sizeof stop)
        thread_.detach();  // cannot happen with a valid eventfd; never join a thread we cannot wake
    if (thread_.joinable())
        thread_.join();
    if (inotifyFd_ >= 0)
        ::close(inotifyFd_);
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void ShareWatcher::Watch(std::vector<std::string> folders) {
    {
        std::lock_guard lock(mutex_);
        pending_.insert(pending_.end(), folders.begin(), folders.end());
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
}

void ShareWatcher::addWatches() {
    constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                      IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ATTRIB;
    std::vector<std::string> folders;
    {
        std::lock_guard lock(mutex_);
        folders.swap(pending_);
    }
    for (const std::string& folder : folders) {
        if (inotifyFd_ < 0 || ::inotify_add_watch(inotifyFd_, folder.c_str(), kEvents) < 0)
            watchFailed_ = true;  // e.g. the user's watch limit: rescan on a timer instead
    }
}

void ShareWatcher::RequestRescan() {
    rescanAsked_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
}

void ShareWatcher::run() {
    using Clock = std::chrono::steady_clock;
    auto nextFull = Clock::now() + (watchFailed_ ? kFallback : kPeriodic);
    Clock::time_point settleAt{};
    bool changed = false;
    while (true) {
        const auto now = Clock::now();
        const auto due = changed && settleAt < nextFull ? settleAt : nextFull;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - now);
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {inotifyFd_, POLLIN, 0}};
        const int n = ::poll(fds, inotifyFd_ >= 0 ? 2 : 1,
                             static_cast<int>(std::max<long long>(wait.count(), 0)));
        bool asked = false;
        if (n > 0 && (fds[0].revents & POLLIN) != 0) {
            std::uint64_t value = 0;
            if (::read(wakeFd_, &value, sizeof value) == sizeof value && value >= kStop)
                return;
            addWatches();
            if (watchFailed_)
                nextFull = std::min(nextFull, Clock::now() + kFallback);
            asked = rescanAsked_.exchange(false);
        }
        if (n > 0 && inotifyFd_ >= 0 && (fds[1].revents & POLLIN) != 0) {
            drain(inotifyFd_);
            if (!changed)
                settleAt = Clock::now() + kSettle;
            changed = true;
        }
        const auto after = Clock::now();
        if (asked || (changed && after >= settleAt) || after >= nextFull) {
            changed = false;
            rescan_();
            nextFull = Clock::now() + (watchFailed_ ? kFallback : kPeriodic);
        }
    }
}

}  // namespace corvid::server
