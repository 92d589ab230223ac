#pragma once
// Hands memory freed after a large answer back to the system. The stack frees an answer only
// after it has been sent, after our callback returned, so the trim runs on its own thread a
// moment after the last request asked for one.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace corvid::server {

class MemoryTrimmer {
  public:
    explicit MemoryTrimmer(std::chrono::milliseconds delay = std::chrono::milliseconds(250));
    ~MemoryTrimmer();
    MemoryTrimmer(const MemoryTrimmer&) = delete;
    MemoryTrimmer& operator=(const MemoryTrimmer&) = delete;

    // Large blocks (answers, their printed copies) get pages of their own from then on, so that
    // freeing one hands it back at once. Left to itself the allocator raises that limit after the
    // first large block, and later answers stay in the threads' heaps where no trim reaches.
    static void MapLargeBlocks();

    // Trims once delay has passed without another Schedule, and again after 2, 4, ... 64
    // times the delay.
    void Schedule();

  private:
    void run();

    std::chrono::milliseconds delay_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::chrono::steady_clock::time_point due_;
    static constexpr int kRounds = 7;
    int rounds_ = 0;
    bool pending_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace corvid::server
