// Reply records as the request reader takes them from the receiver.
#include <cstdlib>

#include "velkport/link/ReplyRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velkport::link::ReplyRecord;
    const std::span<const std::uint8_t> bytes(data, size);
    ReplyRecord r;
    const bool parsed = ReplyRecord::Parse(bytes, r);
    if (parsed != (ReplyRecord::HasMagic(bytes) && size >= 16))
        std::abort();
    if (parsed) {
        ReplyRecord again;
        const auto built = ReplyRecord::Build(r.field1(), r.field2(), r.field3());
        if (!ReplyRecord::Parse(built, again) || again.words != r.words)
            std::abort();
    }
    return 0;
}
