// Disk-usage answers (0x31 / 0x32): the free space never exceeds the total.
#include <cstdlib>

#include "velkport/media/DiskUsageAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velkport::media::DiskUsageAnswer;
    DiskUsageAnswer a;
    if (!DiskUsageAnswer::Parse(std::span<const std::uint8_t>(data, size), a))
        return 0;
    if (a.freeMiB() > a.totalMiB())
        std::abort();
    DiskUsageAnswer again;
    if (!DiskUsageAnswer::Parse(a.Build(), again) || again.usedKiB != a.usedKiB ||
        again.totalKiB != a.totalKiB)
        std::abort();
    return 0;
}
