#include "corvid/receiver/ControlRequest.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"

namespace corvid::receiver {

std::optional<std::uint32_t> ControlRequest::StatedLength(std::span<const std::uint8_t> first4) {
    if (first4.size() < 4)
        return std::nullopt;
    const std::uint32_t length = common::loadBe32(first4.data());
    if (length < kHeaderSize || length > kBufferSize)
        return std::nullopt;
    return length;
}

std::optional<ControlRequest> ControlRequest::Parse(std::span<const std::uint8_t> bytes) {
    const auto length = StatedLength(bytes);
    if (!length || *length != bytes.size())
        return std::nullopt;
    ControlRequest r;
    r.command = common::loadBe32(bytes.data() + 4);
    const auto* dest = reinterpret_cast<const char*>(bytes.data() + kDestinationOffset);
    r.destination.assign(dest, ::strnlen(dest, kDestinationSize));
    r.location.assign(reinterpret_cast<const char*>(bytes.data() + kHeaderSize),
                      bytes.size() - kHeaderSize);
    return r;
}

std::vector<std::uint8_t> ControlRequest::Build(std::uint32_t command, std::string_view destination,
                                                std::string_view location) {
    location = location.substr(0, kBufferSize - kHeaderSize);
    std::vector<std::uint8_t> out(kHeaderSize + location.size(), 0);
    common::storeBe32(out.data(), static_cast<std::uint32_t>(out.size()));
    common::storeBe32(out.data() + 4, command);
    std::memcpy(out.data() + kDestinationOffset, destination.data(),
                std::min(destination.size(), kDestinationSize));
    std::memcpy(out.data() + kHeaderSize, location.data(), location.size());
    return out;
}

}  // namespace corvid::receiver
