#include "velkport/media/DiskUsageAnswer.h"

#include "common/ByteOrder.h"
#include "common/ByteReader.h"

namespace velkport::media {

DiskUsageAnswer::Bytes DiskUsageAnswer::Build() const {
    Bytes b{};
    common::storeBe32(&b[0], usedKiB);
    common::storeBe32(&b[4], totalKiB);
    return b;
}

bool DiskUsageAnswer::Parse(std::span<const std::uint8_t> bytes, DiskUsageAnswer& out) {
    if (bytes.size() < kSize)
        return false;
    common::ByteReader r(bytes);
    DiskUsageAnswer a;
    a.usedKiB = r.be32();
    a.totalKiB = r.be32();
    if (!r.ok())
        return false;
    out = a;
    return true;
}

}  // namespace velkport::media
