#pragma once
// One request of the control channel from corvidlet (big-endian): the total length with the
// header, the command, 16 bytes of stream destination and the media location after them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvid::receiver {

struct ControlRequest {
    static constexpr std::size_t kHeaderSize = 24;
    static constexpr std::size_t kDestinationOffset = 8, kDestinationSize = 16;
    // The largest request taken; a longer stated length is refused unread.
    static constexpr std::size_t kBufferSize = 16384;

    enum Command : std::uint32_t { Play = 1, FirstSteer = 2, LastSteer = 8, Stop = 9 };

    std::uint32_t command = 0;
    std::string destination;  // up to its first zero byte, at most 16 characters
    std::string location;     // the media location, as sent

    // The stated total length when it lies within kHeaderSize to kBufferSize.
    static std::optional<std::uint32_t> StatedLength(std::span<const std::uint8_t> first4);
    // A whole request: its stated length must be acceptable and equal the bytes given.
    static std::optional<ControlRequest> Parse(std::span<const std::uint8_t> bytes);
    // The bytes of a request (corvidlet's side, for the emulated receiver and tests).
    static std::vector<std::uint8_t> Build(std::uint32_t command, std::string_view destination,
                                           std::string_view location);
};

}  // namespace corvid::receiver
