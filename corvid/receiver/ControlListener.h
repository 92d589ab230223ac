#pragma once
// The control channel: Corvid listens (port 34007) and corvidlet connects to send one request
// per connection. Only the configured receiver's address is read; any other peer is closed
// unread. A request is taken in as many pieces as it arrives in, up to its stated length; a
// stated length outside 24 to 16384 bytes is refused, and a request that stops arriving is
// dropped after the time limit. Play requests reach the handler only with a location that
// resolves to a file inside a share.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "common/Socket.h"
#include "corvid/receiver/ControlHandler.h"
#include "corvid/receiver/ControlRequest.h"
#include "corvid/receiver/MediaLocation.h"

namespace corvid::sharing {
class SharingSettings;
}

namespace corvid::receiver {

class ControlListener {
  public:
    static constexpr std::uint16_t kPort = 34007;

    // settings: the shares that play requests may name (must outlive the listener).
    ControlListener(ControlHandler& handler, const sharing::SharingSettings& settings);
    ~ControlListener();
    ControlListener(const ControlListener&) = delete;
    ControlListener& operator=(const ControlListener&) = delete;

    // Listens on address:port ("" = every address; port 0 = a free one) for requests from
    // allowedPeer alone. On failure *error is "VLC Socket create failed" and the reason.
    bool Open(const std::string& address, std::uint16_t port, const std::string& allowedPeer,
              std::string* error = nullptr);
    void Close();
    std::uint16_t port() const { return listener_.localPort(); }

    void SetContentLookup(MediaLocation::ContentLookup lookup) { lookup_ = std::move(lookup); }
    // One line for every refused connection or request.
    void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }
    // The whole time one request may take to arrive.
    void SetTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

    // Reads and carries out one request from a connected peer (the listener's thread does this
    // for each connection); false when it was refused.
    bool Serve(const common::Socket& peer);
    // Carries out a parsed request; false when it was refused.
    bool Dispatch(const ControlRequest& request);

  private:
    void run();
    void log(const std::string& line) const;

    ControlHandler& handler_;
    const sharing::SharingSettings& settings_;
    MediaLocation::ContentLookup lookup_;
    std::function<void(const std::string&)> log_;
    std::chrono::milliseconds timeLimit_{10000};
    std::string allowedPeer_;
    common::Socket listener_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace corvid::receiver
