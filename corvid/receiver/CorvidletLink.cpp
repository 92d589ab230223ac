#include "corvid/receiver/CorvidletLink.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/FileDescriptor.h"
#include "common/Socket.h"
#include "corvid/sharing/MediaType.h"
#include "corvid/sharing/PasswordScrambler.h"
#include "corvid/sharing/SharingSettings.h"

namespace corvid::receiver {

namespace {

using sharing::PasswordScrambler;

// The local address the system would send from to reach the receiver (no packet is sent).
std::string routeAddress(const std::string& receiverAddress) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(CorvidletLink::kConfigurationPort);
    if (::inet_pton(AF_INET, receiverAddress.c_str(), &to.sin_addr) != 1)
        return {};
    common::FileDescriptor fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!fd.valid() || ::connect(fd.fd(), reinterpret_cast<sockaddr*>(&to), sizeof to) != 0)
        return {};
    sockaddr_in local{};
    socklen_t len = sizeof local;
    char text[INET_ADDRSTRLEN] = {};
    if (::getsockname(fd.fd(), reinterpret_cast<sockaddr*>(&local), &len) != 0 ||
        ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text) == nullptr)
        return {};
    return text;
}

std::string resolvedAddress(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return "127.0.0.1";
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text,
                sizeof text);
    ::freeaddrinfo(found);
    return text;
}

}  // namespace

CorvidletLink::CorvidletLink(sharing::SharingSettings& settings, AccountCheck checkAccount,
                             LinkObserver& observer)
    : settings_(settings), checkAccount_(std::move(checkAccount)), observer_(observer) {}

CorvidletLink::NetworkIdentity CorvidletLink::CheckNetwork(const std::string& receiverAddress) {
    NetworkIdentity pc;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0)
        pc.hostName = host;
    pc.address = routeAddress(receiverAddress);
    // A host name that resolves to a loopback address (127.0.1.1 on Debian) names no network.
    if (pc.address.empty() || pc.address.rfind("127.", 0) == 0) {
        const std::string resolved = resolvedAddress(pc.hostName);
        if (pc.address.empty() || resolved.rfind("127.", 0) != 0)
            pc.address = resolved;
    }
    return pc;
}

std::string CorvidletLink::ShareKind(const std::string& mediaTypeName) {
    const auto type = sharing::mediaTypeFromName(mediaTypeName);
    if (type == sharing::MediaType::Video)
        return "vlc";
    if (type)
        return sharing::mediaTypeName(*type);
    return "vlc";  // the only other name a share can carry
}

bool CorvidletLink::FillAccount(ConfigMessage& entry, const std::string& user,
                                const std::string& password, const NetworkIdentity& pc) {
    entry.SetText(ConfigMessage::kUserOffset, ConfigMessage::kUserSize, user);
    const auto scrambled = PasswordScrambler::Scramble(password);
    // The cipher field holds 256 characters: a password of more than 128 bytes does not fit
    // and is not sent cut short.
    const bool ok = scrambled && scrambled->cipher.size() <= ConfigMessage::kCipherSize;
    if (ok) {
        entry.SetText(ConfigMessage::kKeyOffset, ConfigMessage::kKeySize, scrambled->key);
        entry.SetText(ConfigMessage::kCipherOffset, ConfigMessage::kCipherSize, scrambled->cipher);
    }
    entry.SetText(ConfigMessage::kPcHostOffset, ConfigMessage::kPcHostSize, pc.hostName);
    entry.SetText(ConfigMessage::kPcAddressOffset, ConfigMessage::kPcAddressSize, pc.address);
    return ok;
}

void CorvidletLink::show(bool showMessages, const std::string& message) {
    if (showMessages)
        observer_.ShowMessage(message);
}

int CorvidletLink::fail(bool showMessages, const std::string& message) {
    show(showMessages, message);
    observer_.SetStatus(LinkStatus::Offline);
    inProgress_ = false;
    return 0;
}

bool CorvidletLink::prepare(bool showMessages, bool needShares, NetworkIdentity& pc) {
    pc = CheckNetwork(settings_.receiverAddress);
    settings_.hostName = pc.hostName;
    settings_.hostAddress = pc.address;
    if (pc.address.rfind("127.", 0) == 0)
        show(showMessages, "Check my computer's network");
    observer_.SetStatus(LinkStatus::Connecting);
    if (needShares && settings_.ShareCount() == 0)
        return fail(showMessages, "There is no shared folder") != 0;
    std::string why;
    if (!checkAccount_ || !checkAccount_(settings_.user, settings_.password, why))
        return fail(showMessages, "ID or Password is faild") != 0;
    return true;
}

bool CorvidletLink::connect(bool showMessages, common::Socket& socket) {
    socket = common::Socket::connectTcp(settings_.receiverAddress, port_, timeLimit_);
    if (socket.valid())
        return true;
    const int code = errno;
    fail(showMessages, "Check corvidlet or network connection.  errono=" + std::to_string(code));
    return false;
}

// A send that fails is reported, not ignored: corvidlet would otherwise be left with half a
// configuration while the status says online.
bool CorvidletLink::send(bool showMessages, const common::Socket& socket,
                         const ConfigMessage& message) {
    if (socket.sendAll(message.bytes().data(), ConfigMessage::kSize, timeLimit_))
        return true;
    const int code = errno;
    fail(showMessages, "Check corvidlet or network connection.  errono=" + std::to_string(code));
    return false;
}

int CorvidletLink::SendConfiguration(bool showMessages) {
    inProgress_ = true;
    NetworkIdentity pc;
    if (!prepare(showMessages, true, pc))
        return 0;
    common::Socket socket;
    if (!connect(showMessages, socket) ||
        !send(showMessages, socket, ConfigMessage::MakeHostName(pc.hostName)))
        return 0;
    ConfigMessage entry(ConfigMessage::ShareEntry);
    if (!FillAccount(entry, settings_.user, settings_.password, pc))
        show(showMessages, "Encryption failed");
    for (std::size_t slot = 0; slot < sharing::SharingSettings::kMaxShares; ++slot) {
        const auto* share = settings_.Share(slot);
        if (share == nullptr)
            continue;
        entry.SetText(ConfigMessage::kShareNameOffset, ConfigMessage::kShareNameSize, share->name);
        entry.SetText(ConfigMessage::kKindOffset, ConfigMessage::kKindSize,
                      ShareKind(share->mediaTypeName));
        if (!send(showMessages, socket, entry))
            return 0;
    }
    if (!send(showMessages, socket, ConfigMessage(ConfigMessage::EndOfConfiguration)))
        return 0;
    socket.close();
    observer_.SetStatus(LinkStatus::Online);
    inProgress_ = false;
    return 1;
}

int CorvidletLink::SendDropConfiguration(bool showMessages) {
    inProgress_ = true;
    NetworkIdentity pc;
    if (!prepare(showMessages, false, pc))
        return 0;
    common::Socket socket;
    if (!connect(showMessages, socket) ||
        !send(showMessages, socket, ConfigMessage(ConfigMessage::DropConfiguration)))
        return 0;
    socket.close();
    observer_.SetStatus(LinkStatus::Online);
    inProgress_ = false;
    return 1;
}

}  // namespace corvid::receiver
