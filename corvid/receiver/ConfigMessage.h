#pragma once
// One message of the configuration channel to corvidlet: always 1024 bytes, the magic "VELK",
// a little-endian command and its payload; bytes not written are zero.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvid::receiver {

class ConfigMessage {
  public:
    static constexpr std::size_t kSize = 1024;

    enum Command : std::uint32_t {
        ShareEntry = 16,
        HostName = 18,
        DropConfiguration = 24,
        EndOfConfiguration = 25,
    };

    // Field offsets and sizes. HostName carries the host name at kHostNameOffset; a
    // ShareEntry carries the rest.
    static constexpr std::size_t kCommandOffset = 4;
    static constexpr std::size_t kHostNameOffset = 8, kHostNameSize = 256;
    static constexpr std::size_t kUserOffset = 8, kUserSize = 20;
    static constexpr std::size_t kKeyOffset = 28, kKeySize = 32;
    static constexpr std::size_t kCipherOffset = 60, kCipherSize = 256;
    static constexpr std::size_t kPcHostOffset = 316, kPcHostSize = 256;
    static constexpr std::size_t kPcAddressOffset = 572, kPcAddressSize = 15;
    static constexpr std::size_t kShareNameOffset = 587, kShareNameSize = 12;
    static constexpr std::size_t kKindOffset = 599, kKindSize = kSize - kKindOffset;

    // A zeroed message with the magic and the command.
    explicit ConfigMessage(std::uint32_t command);
    static ConfigMessage MakeHostName(std::string_view hostName);

    // Writes text into a field, cut to its size and padded with zero bytes. A field that must
    // end with a zero byte (the share kind) keeps room for it.
    void SetText(std::size_t offset, std::size_t size, std::string_view text);
    // The text of a field up to its first zero byte.
    std::string Text(std::size_t offset, std::size_t size) const;

    std::uint32_t command() const;
    const std::array<std::uint8_t, kSize>& bytes() const { return bytes_; }

    // A received message; nothing when the magic is wrong.
    static std::optional<ConfigMessage> FromBytes(std::span<const std::uint8_t, kSize> bytes);

  private:
    std::array<std::uint8_t, kSize> bytes_{};
};

}  // namespace corvid::receiver
