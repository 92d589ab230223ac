#include "corvid/receiver/ControlListener.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace corvid::receiver {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

}  // namespace

ControlListener::ControlListener(ControlHandler& handler, const sharing::SharingSettings& settings)
    : handler_(handler), settings_(settings) {}

ControlListener::~ControlListener() {
    Close();
}

bool ControlListener::Open(const std::string& address, std::uint16_t port,
                           const std::string& allowedPeer, std::string* error) {
    Close();
    std::string why;
    listener_ = common::Socket::listenTcp(address, port, 5, &why);
    if (!listener_.valid()) {
        if (error != nullptr)
            *error = "VLC Socket create failed: " + why;
        return false;
    }
    allowedPeer_ = allowedPeer;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void ControlListener::Close() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    listener_.close();
}

void ControlListener::log(const std::string& line) const {
    if (log_)
        log_(line);
}

void ControlListener::run() {
    while (!stopping_) {
        common::Socket peer = listener_.accept(milliseconds(200));
        if (!peer.valid())
            continue;
        const std::string from = peer.peerAddress();
        if (allowedPeer_.empty() || from != allowedPeer_) {
            log("refused a control connection from " + from);
            continue;  // closed unread
        }
        Serve(peer);
    }
}

bool ControlListener::Serve(const common::Socket& peer) {
    const auto deadline = Clock::now() + timeLimit_;
    auto left = [&] {
        return std::max(milliseconds(1),
                        std::chrono::duration_cast<milliseconds>(deadline - Clock::now()));
    };
    std::vector<std::uint8_t> buffer(ControlRequest::kBufferSize);
    std::size_t have = 0;
    std::size_t wanted = 4;  // the length field first, then the stated length
    bool lengthKnown = false;
    while (have < wanted) {
        if (Clock::now() >= deadline) {
            log("dropped a control request that stopped arriving");
            return false;
        }
        const ssize_t n = peer.receiveSome(buffer.data() + have, wanted - have, left());
        if (n <= 0) {
            log(n == 0 ? "dropped a control request cut short"
                       : "dropped a stalled control request");
            return false;
        }
        have += static_cast<std::size_t>(n);
        if (!lengthKnown && have >= 4) {
            const auto length = ControlRequest::StatedLength({buffer.data(), 4});
            if (!length) {
                log("refused a control request with a stated length outside 24 to 16384");
                return false;
            }
            wanted = *length;
            lengthKnown = true;
        }
    }
    const auto request = ControlRequest::Parse({buffer.data(), have});
    return request && Dispatch(*request);
}

bool ControlListener::Dispatch(const ControlRequest& request) {
    if (request.command == ControlRequest::Play) {
        in_addr dest{};
        if (::inet_pton(AF_INET, request.destination.c_str(), &dest) != 1) {
            log("refused to stream to \"" + request.destination + "\": not an IPv4 address");
            return false;
        }
        std::string why;
        const auto file = MediaLocation::Resolve(request.location, settings_, lookup_, &why);
        if (!file) {
            log("refused to play \"" + request.location + "\": " + why);
            return false;
        }
        handler_.Play(request.destination, *file);
        return true;
    }
    if (request.command >= ControlRequest::FirstSteer &&
        request.command <= ControlRequest::LastSteer) {
        handler_.Steer(request.command);
        return true;
    }
    if (request.command == ControlRequest::Stop) {
        handler_.Stop();
        return true;
    }
    log("ignored control command " + std::to_string(request.command));
    return false;
}

}  // namespace corvid::receiver
