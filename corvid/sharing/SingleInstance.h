#pragma once
// One Corvid per user. The first instance holds a lock on "corvid.lock" and listens on the
// local socket "corvid.sock" (both in $XDG_RUNTIME_DIR, else the temporary folder with the
// user's id in the names). Whoever has a receiver address for it (Velkport's Corvid button, a
// second "corvid ADDRESS") connects and writes one 12-byte record: the message number 5973,
// the address packed into 32 bits (first number in the most significant byte) and a show flag,
// each a big-endian 32-bit number.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "common/FileDescriptor.h"
#include "common/Socket.h"

namespace corvid::sharing {

class SingleInstance {
  public:
    static constexpr std::uint32_t kAddressMessage = 5973;  // 0x400 + 4949
    static constexpr std::size_t kRecordSize = 12;
    // Called on the listener's thread for every well-formed record.
    using AddressHandler = std::function<void(const std::string& address, bool show)>;

    // folder: where "corvid.lock" and "corvid.sock" live; empty: the run-time folder that
    // Velkport also looks in.
    explicit SingleInstance(const std::filesystem::path& folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this is the first instance: the lock is taken and the socket listens.
    bool Acquire(AddressHandler handler);
    void Release();

    const std::filesystem::path& SocketPath() const { return socketPath_; }
    const std::filesystem::path& LockPath() const { return lockPath_; }

    // Hands an address to the running instance; false when none takes it.
    bool HandOver(const std::string& address, bool show = true) const;

    // "a.b.c.d" packed into 32 bits, or nothing when the text is no IPv4 address.
    static std::optional<std::uint32_t> PackAddress(const std::string& address);
    static std::string UnpackAddress(std::uint32_t packed);
    static std::array<std::uint8_t, kRecordSize> Encode(std::uint32_t packed, bool show);
    // The address and show flag of a record; nothing when it is not an address message.
    static std::optional<std::pair<std::string, bool>> Decode(const std::uint8_t* record);

  private:
    void run();

    std::filesystem::path socketPath_;
    std::filesystem::path lockPath_;
    common::FileDescriptor lock_;
    common::Socket listener_;
    AddressHandler handler_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace corvid::sharing
