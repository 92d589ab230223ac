#include "corvid/sharing/SingleInstance.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "common/ByteOrder.h"
#include "common/RuntimeFolder.h"

namespace corvid::sharing {

namespace {

using std::chrono::milliseconds;

bool fillAddress(sockaddr_un& addr, const std::filesystem::path& path) {
    addr.sun_family = AF_UNIX;
    const std::string p = path.string();
    if (p.empty() || p.size() >= sizeof(addr.sun_path))
        return false;
    std::memcpy(addr.sun_path, p.c_str(), p.size() + 1);
    return true;
}

}  // namespace

SingleInstance::SingleInstance(const std::filesystem::path& folder)
    : socketPath_(folder.empty() ? common::RuntimePath("corvid", ".sock") : folder / "corvid.sock"),
      lockPath_(folder.empty() ? common::RuntimePath("corvid", ".lock") : folder / "corvid.lock") {}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::Acquire(AddressHandler handler) {
    Release();
    lock_ = common::FileDescriptor(
        ::open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock_.valid() || ::flock(lock_.fd(), LOCK_EX | LOCK_NB) != 0) {
        lock_.close();
        return false;
    }
    // Holding the lock, any socket file left there is a dead instance's.
    std::error_code ec;
    std::filesystem::remove(SocketPath(), ec);
    sockaddr_un addr{};
    common::Socket sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!sock.valid() || !fillAddress(addr, SocketPath()) ||
        ::bind(sock.fd(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(sock.fd(), 5) != 0) {
        lock_.close();
        return false;
    }
    ::chmod(SocketPath().c_str(), 0600);
    listener_ = std::move(sock);
    handler_ = std::move(handler);
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void SingleInstance::Release() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_.valid()) {
        listener_.close();
        std::error_code ec;
        std::filesystem::remove(SocketPath(), ec);
    }
    lock_.close();
}

void SingleInstance::run() {
    while (!stopping_) {
        common::Socket peer = listener_.accept(milliseconds(200));
        if (!peer.valid())
            continue;
        // A peer that only checks that Corvid runs closes without writing.
        std::uint8_t record[kRecordSize];
        if (!peer.receiveExactly(record, sizeof record, milliseconds(1000)))
            continue;
        if (const auto decoded = Decode(record); decoded && handler_)
            handler_(decoded->first, decoded->second);
    }
}

bool SingleInstance::HandOver(const std::string& address, bool show) const {
    const auto packed = PackAddress(address);
    sockaddr_un addr{};
    if (!packed || !fillAddress(addr, SocketPath()))
        return false;
    common::Socket sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!sock.valid() ||
        ::connect(sock.fd(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        return false;
    const auto record = Encode(*packed, show);
    return sock.sendAll(record.data(), record.size(), milliseconds(1000));
}

std::optional<std::uint32_t> SingleInstance::PackAddress(const std::string& address) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, address.c_str(), &parsed) != 1)
        return std::nullopt;
    return ntohl(parsed.s_addr);
}

std::string SingleInstance::UnpackAddress(std::uint32_t packed) {
    return std::to_string(packed >> 24) + "." + std::to_string((packed >> 16) & 0xFF) + "." +
           std::to_string((packed >> 8) & 0xFF) + "." + std::to_string(packed & 0xFF);
}

std::array<std::uint8_t, SingleInstance::kRecordSize> SingleInstance::Encode(std::uint32_t packed,
                                                                             bool show) {
    std::array<std::uint8_t, kRecordSize> record{};
    common::storeBe32(record.data(), kAddressMessage);
    common::storeBe32(record.data() + 4, packed);
    common::storeBe32(record.data() + 8, show ? 1 : 0);
    return record;
}

std::optional<std::pair<std::string, bool>> SingleInstance::Decode(const std::uint8_t* record) {
    if (common::loadBe32(record) != kAddressMessage)
        return std::nullopt;
    return std::make_pair(UnpackAddress(common::loadBe32(record + 4)),
                          common::loadBe32(record + 8) != 0);
}

}  // namespace corvid::sharing
