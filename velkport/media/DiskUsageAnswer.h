#pragma once
// The 256-byte answer of the disk-usage commands (0x31 MP3, 0x32 JPEG): used and total space in
// kilobytes, big-endian, at bytes 0-3 and 4-7.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velkport::media {

class DiskUsageAnswer {
  public:
    static constexpr std::size_t kSize = 256;
    using Bytes = std::array<std::uint8_t, kSize>;

    std::uint32_t usedKiB = 0;
    std::uint32_t totalKiB = 0;

    // Free megabytes, rounded down: (total - used) / 1024, and 0 when the receiver reports more
    // used than total (the difference would otherwise wrap to a huge free space).
    std::uint32_t freeMiB() const { return totalKiB > usedKiB ? (totalKiB - usedKiB) / 1024 : 0; }
    std::uint32_t usedMiB() const { return usedKiB / 1024; }
    std::uint32_t totalMiB() const { return totalKiB / 1024; }

    Bytes Build() const;
    static bool Parse(std::span<const std::uint8_t> bytes, DiskUsageAnswer& out);
};

}  // namespace velkport::media
