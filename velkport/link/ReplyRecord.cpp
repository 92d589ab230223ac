#include "velkport/link/ReplyRecord.h"

#include "common/ByteOrder.h"
#include "common/ByteReader.h"

namespace velkport::link {

ReplyRecord::Bytes ReplyRecord::Build(std::uint32_t field1, std::uint32_t field2,
                                      std::uint32_t field3) {
    Bytes b{};
    common::storeBe32(&b[0], kMagic);
    common::storeBe32(&b[4], field1);
    common::storeBe32(&b[8], field2);
    common::storeBe32(&b[12], field3);
    return b;
}

bool ReplyRecord::HasMagic(std::span<const std::uint8_t> bytes) {
    common::ByteReader r(bytes);
    std::uint32_t magic = r.be32();
    return r.ok() && magic == kMagic;
}

bool ReplyRecord::Parse(std::span<const std::uint8_t> bytes, ReplyRecord& out) {
    common::ByteReader r(bytes);
    std::array<std::uint32_t, 4> w{};
    for (auto& v : w)
        v = r.be32();
    if (!r.ok() || w[0] != kMagic)
        return false;
    out.words = w;
    return true;
}

}  // namespace velkport::link
