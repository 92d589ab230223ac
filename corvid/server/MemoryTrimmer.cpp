#include "corvid/server/MemoryTrimmer.h"

#include <malloc.h>

namespace corvid::server {

void MemoryTrimmer::MapLargeBlocks() {
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 4 << 20);
}

MemoryTrimmer::MemoryTrimmer(std::chrono::milliseconds delay)
    : delay_(delay), thread_([this] { run(); }) {}

MemoryTrimmer::~MemoryTrimmer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void MemoryTrimmer::Schedule() {
    {
        std::lock_guard lock(mutex_);
        pending_ = true;
        rounds_ = 0;
        due_ = std::chrono::steady_clock::now() + delay_;
    }
    wake_.notify_all();
}

void MemoryTrimmer::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!pending_) {
            wake_.wait(lock);
            continue;
        }
        if (wake_.wait_until(lock, due_) == std::cv_status::timeout &&
            std::chrono::steady_clock::now() >= due_) {
            // The stack may still be sending (a slow client keeps a large answer alive), so the
            // trim is repeated a few times, each after a longer wait.
            if (++rounds_ < kRounds)
                due_ = std::chrono::steady_clock::now() + delay_ * (1 << rounds_);
            else
                pending_ = false;
            lock.unlock();
            ::malloc_trim(0);
            lock.lock();
        }
    }
}

}  // namespace corvid::server
