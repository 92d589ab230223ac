#include "velkport/link/DataBlock.h"

#include <algorithm>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"

namespace velkport::link {

DataBlock DataBlock::WithPayload(std::span<const std::uint8_t> payload) {
    DataBlock b;
    const std::size_t n = std::min(payload.size(), kMaxPayload);
    common::storeBe32(b.bytes_.data(), static_cast<std::uint32_t>(n));
    std::copy_n(payload.begin(), n, b.bytes_.begin() + kHeaderSize);
    b.length_ = static_cast<std::uint32_t>(n);
    return b;
}

bool DataBlock::Parse(std::span<const std::uint8_t> bytes, DataBlock& out) {
    common::ByteReader r(bytes);
    const std::uint32_t n = r.be32();
    if (!r.ok() || n > kMaxPayload)
        return false;
    auto payload = r.bytes(n);
    if (!r.ok())
        return false;
    out = WithPayload(payload);
    return true;
}

}  // namespace velkport::link
