#pragma once
// The configuration channel to corvidlet: Corvid connects to the receiver (port 34006) and
// sends, one way, the PC's host name, one ShareEntry per share in slot order (the account, the
// scrambled password and the share) and an EndOfConfiguration; or a DropConfiguration.
// Nothing is read back.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "corvid/receiver/ConfigMessage.h"
#include "corvid/receiver/LinkObserver.h"

namespace common {
class Socket;
}
namespace corvid::sharing {
class SharingSettings;
}

namespace corvid::receiver {

class CorvidletLink {
  public:
    static constexpr std::uint16_t kConfigurationPort = 34006;
    // Checks a user and password with the system; fills the message on refusal.
    using AccountCheck =
        std::function<bool(const std::string& user, const std::string& password, std::string&)>;

    struct NetworkIdentity {
        std::string hostName;
        std::string address;  // dotted IPv4 text
    };

    CorvidletLink(sharing::SharingSettings& settings, AccountCheck checkAccount,
                  LinkObserver& observer);

    void SetPort(std::uint16_t port) { port_ = port; }
    void SetTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

    // File Sharing Server hand-over; 1 on success, 0 on failure. Messages only when asked.
    int SendConfiguration(bool showMessages);
    // Tells corvidlet to drop the shares; 1 or 0.
    int SendDropConfiguration(bool showMessages);
    bool InProgress() const { return inProgress_; }

    // The PC's host name and the IPv4 address the receiver reaches it at: the local address of
    // the route to the receiver, else the first address the host name resolves to.
    static NetworkIdentity CheckNetwork(const std::string& receiverAddress);
    // The ShareEntry common to every share (account, scrambled password, PC); false when the
    // password could not be enciphered (the key and cipher fields then stay empty).
    static bool FillAccount(ConfigMessage& entry, const std::string& user,
                            const std::string& password, const NetworkIdentity& pc);
    // The kind corvidlet is told for a media-type name: "vlc" for video, else the name.
    static std::string ShareKind(const std::string& mediaTypeName);

  private:
    int fail(bool show, const std::string& message);
    void show(bool showMessages, const std::string& message);
    bool prepare(bool showMessages, bool needShares, NetworkIdentity& pc);
    bool connect(bool showMessages, common::Socket& socket);
    bool send(bool showMessages, const common::Socket& socket, const ConfigMessage& message);

    sharing::SharingSettings& settings_;
    AccountCheck checkAccount_;
    LinkObserver& observer_;
    std::uint16_t port_ = kConfigurationPort;
    std::chrono::milliseconds timeLimit_{10000};
    bool inProgress_ = false;
};

}  // namespace corvid::receiver
