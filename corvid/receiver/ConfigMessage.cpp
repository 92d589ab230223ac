#include "corvid/receiver/ConfigMessage.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"

namespace corvid::receiver {

ConfigMessage::ConfigMessage(std::uint32_t command) {
    std::memcpy(bytes_.data(), "VELK", 4);
    common::storeLe32(bytes_.data() + kCommandOffset, command);
}

ConfigMessage ConfigMessage::MakeHostName(std::string_view hostName) {
    ConfigMessage m(HostName);
    m.SetText(kHostNameOffset, kHostNameSize, hostName);
    return m;
}

void ConfigMessage::SetText(std::size_t offset, std::size_t size, std::string_view text) {
    if (offset >= kSize)
        return;
    size = std::min(size, kSize - offset);
    // The kind is the one field read up to a zero byte, so it always keeps one.
    const std::size_t room = offset == kKindOffset ? size - 1 : size;
    const std::size_t n = std::min(room, text.size());
    std::memset(bytes_.data() + offset, 0, size);
    std::memcpy(bytes_.data() + offset, text.data(), n);
}

std::string ConfigMessage::Text(std::size_t offset, std::size_t size) const {
    if (offset >= kSize)
        return {};
    size = std::min(size, kSize - offset);
    const auto* begin = reinterpret_cast<const char*>(bytes_.data() + offset);
    return std::string(begin, ::strnlen(begin, size));
}

std::uint32_t ConfigMessage::command() const {
    return common::loadLe32(bytes_.data() + kCommandOffset);
}

std::optional<ConfigMessage> ConfigMessage::FromBytes(std::span<const std::uint8_t, kSize> bytes) {
    if (std::memcmp(bytes.data(), "VELK", 4) != 0)
        return std::nullopt;
    ConfigMessage m(0);
    std::copy(bytes.begin(), bytes.end(), m.bytes_.begin());
    return m;
}

}  // namespace corvid::receiver
