#include "velkport/recordings/HeaderBlock.h"

#include <algorithm>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"
#include "velkport/recordings/RecordCommands.h"

namespace velkport::recordings {

std::optional<HeaderBlock> ParseHeaderBlock(std::span<const std::uint8_t> bytes) {
    common::ByteReader r(bytes);
    HeaderBlock b;
    b.type = r.be32();
    b.flag = r.be32();
    b.payloadLength = r.be32();
    b.count = r.be32();
    b.index = r.be32();
    if (!r.ok())
        return std::nullopt;
    return b;
}

void BuildHeaderBlock(const HeaderBlock& block, std::uint8_t* out20) {
    common::storeBe32(out20, block.type);
    common::storeBe32(out20 + 4, block.flag);
    common::storeBe32(out20 + 8, block.payloadLength);
    common::storeBe32(out20 + 12, block.count);
    common::storeBe32(out20 + 16, block.index);
}

std::optional<HeaderBlockMessage> ReadHeaderBlockMessage(std::span<const std::uint8_t> message) {
    auto header = ParseHeaderBlock(message);
    if (!header || header->payloadLength > message.size() - kHeaderBlockHeaderSize)
        return std::nullopt;
    return HeaderBlockMessage{*header,
                              message.subspan(kHeaderBlockHeaderSize, header->payloadLength)};
}

std::vector<std::uint8_t> StoredHeaderBlock(const HeaderBlockMessage& block, bool radio) {
    std::vector<std::uint8_t> out(kHeaderBlockHeaderSize, 0);
    if (radio && block.header.flag == 0) {
        common::storeBe32(out.data(), block.header.type);
        return out;
    }
    out.resize(kHeaderBlockHeaderSize + block.payload.size());
    BuildHeaderBlock(block.header, out.data());
    std::copy(block.payload.begin(), block.payload.end(), out.begin() + kHeaderBlockHeaderSize);
    return out;
}

}  // namespace velkport::recordings
