#pragma once
// The header stream of a download or upload: 20-byte block headers of five 32-bit fields, each
// followed by its payload, one block per 65536-byte message.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velkport::recordings {

struct HeaderBlock {
    std::uint32_t type = 0;  // 1: the payload is the recording's RecordEntry; 4: closing type
    std::uint32_t flag = 0;  // radio blocks with flag 0 are stored without payload
    std::uint32_t payloadLength = 0;
    std::uint32_t count = 0;
    std::uint32_t index = 0;

    static constexpr std::uint32_t kEntryType = 1;
    static constexpr std::uint32_t kClosingType = 4;

    // The stream ends with the block of the closing type whose index is at least count - 1.
    bool isClosing() const {
        return type == kClosingType && static_cast<std::uint64_t>(index) + 1 >= count;
    }
};

// The five fields of a 20-byte block header; nothing when fewer bytes are given.
std::optional<HeaderBlock> ParseHeaderBlock(std::span<const std::uint8_t> bytes);
void BuildHeaderBlock(const HeaderBlock& block, std::uint8_t* out20);

// A block message as received: its header and its payload, which must lie inside the message.
struct HeaderBlockMessage {
    HeaderBlock header;
    std::span<const std::uint8_t> payload;
};
std::optional<HeaderBlockMessage> ReadHeaderBlockMessage(std::span<const std::uint8_t> message);

// The bytes stored in "temp.header" for a received block: its 20-byte header and its payload;
// for radio recordings a block with flag 0 is stored as its header alone with every field but
// the type set to zero.
std::vector<std::uint8_t> StoredHeaderBlock(const HeaderBlockMessage& block, bool radio);

}  // namespace velkport::recordings
