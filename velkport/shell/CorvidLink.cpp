#include "velkport/shell/CorvidLink.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/ByteOrder.h"
#include "common/RuntimeFolder.h"
#include "common/Socket.h"

namespace velkport::shell {

std::filesystem::path CorvidLink::DefaultSocketPath() {
    return common::RuntimePath("corvid", ".sock");
}

std::array<std::uint8_t, CorvidLink::kRecordSize> CorvidLink::EncodeAddressMessage(
    std::uint32_t packedAddress) {
    std::array<std::uint8_t, kRecordSize> record{};
    common::storeBe32(record.data(), kAddressMessage);
    common::storeBe32(record.data() + 4, packedAddress);
    common::storeBe32(record.data() + 8, 1);
    return record;
}

namespace {

// A local connect either succeeds or fails at once (no listener: ECONNREFUSED / ENOENT).
common::Socket ConnectLocal(const std::filesystem::path& socketPath) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = socketPath.string();
    if (path.empty() || path.size() >= sizeof(addr.sun_path))
        return {};
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    common::Socket sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!sock.valid())
        return {};
    if (::connect(sock.fd(), reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0)
        return {};
    return sock;
}

}  // namespace

bool CorvidLink::IsRunning(const std::filesystem::path& socketPath) {
    return ConnectLocal(socketPath).valid();
}

bool CorvidLink::SendAddress(std::uint32_t packedAddress, const std::filesystem::path& socketPath) {
    common::Socket sock = ConnectLocal(socketPath);
    if (!sock.valid())
        return false;
    const auto record = EncodeAddressMessage(packedAddress);
    return sock.sendAll(record.data(), record.size(), common::Millis(1000));
}

}  // namespace velkport::shell
