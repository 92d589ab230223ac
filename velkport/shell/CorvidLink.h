#pragma once
// Handing the receiver address to a running Corvid. Corvid listens on a local (Unix-domain)
// socket of the user; Velkport connects and writes one 12-byte record: the message number 5973,
// the packed receiver address and 1, each a big-endian 32-bit number. When nobody listens,
// Velkport starts "corvid" with the address on its command line instead.

#include <array>
#include <cstdint>
#include <filesystem>

namespace velkport::shell {

class CorvidLink {
  public:
    static constexpr std::uint32_t kAddressMessage = 5973;  // 0x400 + 4949
    static constexpr std::size_t kRecordSize = 12;

    // $XDG_RUNTIME_DIR/corvid.sock, or the temporary folder + "/corvid-<uid>.sock".
    static std::filesystem::path DefaultSocketPath();

    static std::array<std::uint8_t, kRecordSize> EncodeAddressMessage(std::uint32_t packedAddress);

    // True when a Corvid listens on the socket (nothing is sent).
    static bool IsRunning(const std::filesystem::path& socketPath = DefaultSocketPath());

    // True when a Corvid took the record; false when none listens there (or it did not read
    // within a second).
    static bool SendAddress(std::uint32_t packedAddress,
                            const std::filesystem::path& socketPath = DefaultSocketPath());
};

}  // namespace velkport::shell
