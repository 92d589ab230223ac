// Picture preparation on any bytes: a corrupt picture is refused, never a crash, and what is
// prepared carries a thumbnail that counts as prepared.
#include <cstdlib>

#include "velkport/media/JpegPreparer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velkport::media::JpegPreparer;
    const std::span<const std::uint8_t> bytes(data, size);
    JpegPreparer::IsPrepared(bytes);
    if (const auto thumb = JpegPreparer::ExifThumbnail(bytes))
        JpegPreparer::MakeThumbnail(*thumb);
    const auto thumb = JpegPreparer::MakeThumbnail(bytes);
    if (!thumb)
        return 0;
    const auto copy = JpegPreparer::WithExifThumbnail(bytes, *thumb);
    if (copy && !JpegPreparer::IsPrepared(*copy))
        std::abort();
    return 0;
}
