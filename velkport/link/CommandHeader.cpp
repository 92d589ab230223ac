#include "velkport/link/CommandHeader.h"

#include "common/ByteOrder.h"
#include "common/ByteReader.h"

namespace velkport::link {

namespace {
constexpr std::uint8_t kMagic[4] = {'V', 'E', 'L', 'K'};
}

CommandHeader::Bytes CommandHeader::BuildPlain(std::uint8_t code) {
    return BuildValued(code, 0);
}

CommandHeader::Bytes CommandHeader::BuildValued(std::uint8_t code, std::uint32_t value) {
    Bytes b{};
    for (std::size_t i = 0; i < 4; ++i)
        b[i] = kMagic[i];
    // Bytes 4-10 stay 0; 11-15 are the format's constants.
    b[11] = 0x20;
    b[12] = 0x00;
    b[13] = 0x02;
    b[14] = 0x10;
    b[15] = 0x00;
    b[16] = code;
    common::storeBe32(&b[17], value);
    return b;
}

bool CommandHeader::Parse(std::span<const std::uint8_t> bytes, CommandHeader& out) {
    common::ByteReader r(bytes);
    auto magic = r.bytes(4);
    if (!r.ok() || magic[0] != 'V' || magic[1] != 'E' || magic[2] != 'L' || magic[3] != 'K')
        return false;
    r.skip(12);
    std::uint8_t code = r.u8();
    std::uint32_t value = r.be32();
    r.skip(11);
    if (!r.ok())
        return false;
    out = CommandHeader(code, value);
    return true;
}

}  // namespace velkport::link
