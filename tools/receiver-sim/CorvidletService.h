#pragma once
// The emulated receiver's corvidlet: it listens for Corvid's configuration sessions (port-base
// + 6 on the receiver) and keeps each one under ROOT/corvidlet/ as "session-N.bin" (the bytes
// as they came) and "session-N.txt" (one readable line per 1024-byte message). It also sends
// control requests to Corvid, as corvidlet does when the user plays a file.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "common/Socket.h"

namespace receiversim {

class CorvidletService {
  public:
    CorvidletService(std::filesystem::path root, std::string address,
                     std::chrono::milliseconds timeLimit = std::chrono::seconds(10));
    ~CorvidletService();
    CorvidletService(const CorvidletService&) = delete;
    CorvidletService& operator=(const CorvidletService&) = delete;

    // Listens on the address at port (0: a free one).
    bool start(std::uint16_t port, std::string* error = nullptr);
    void stop();
    std::uint16_t port() const { return listener_.localPort(); }
    std::filesystem::path folder() const { return root_ / "corvidlet"; }

    // Sessions stored since start; waits until at least n are stored.
    int sessionCount() const;
    bool waitForSessions(int n, std::chrono::milliseconds timeout) const;

    // The summary line of one 1024-byte configuration message.
    static std::string Describe(const std::uint8_t* message);
    // Runs one "control ..." line ("control play DEST LOCATION", "control key N",
    // "control stop", "control raw N") against Corvid at "ADDR:PORT". False with a reason when
    // the line is not understood or the request could not be delivered.
    static bool SendControl(const std::string& corvid, std::string_view line, std::string* error);

    // Reads "control ..." lines from fd (standard input for the program) on a thread of its own
    // until stop(), sending each to Corvid at "ADDR:PORT" and saying on standard error how it
    // went.
    void startControlInput(int fd, std::string corvid);

  private:
    void run();
    void readControlLines(int fd, const std::string& corvid);
    void serve(const common::Socket& peer);

    std::filesystem::path root_;
    std::string address_;
    std::chrono::milliseconds timeLimit_;
    common::Socket listener_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::thread inputThread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable stored_;
    int sessions_ = 0;
};

}  // namespace receiversim
