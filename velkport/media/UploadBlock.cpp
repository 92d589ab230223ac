#include "velkport/media/UploadBlock.h"

#include <algorithm>

#include "common/ByteOrder.h"

namespace velkport::media {

void UploadBlock::setLength(std::size_t n) {
    length_ = static_cast<std::uint32_t>(std::min(n, kMaxPayload));
    common::storeBe32(bytes_.data(), length_);
}

bool UploadBlock::Parse(std::span<const std::uint8_t> bytes, UploadBlock& out) {
    if (bytes.size() != kSize)
        return false;
    const std::uint32_t n = common::loadBe32(bytes.data());
    if (n > kMaxPayload)
        return false;
    std::copy(bytes.begin(), bytes.end(), out.bytes_.begin());
    out.length_ = n;
    return true;
}

}  // namespace velkport::media
