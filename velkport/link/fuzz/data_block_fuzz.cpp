// Download data blocks as the MP3 / JPEG transfers take them from the receiver.
#include <cstdlib>

#include "velkport/link/DataBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velkport::link::DataBlock;
    DataBlock b;
    if (!DataBlock::Parse(std::span<const std::uint8_t>(data, size), b))
        return 0;
    if (b.payloadLength() > DataBlock::kMaxPayload || b.payloadLength() + 4 > size ||
        b.payload().size() != b.payloadLength())
        std::abort();
    DataBlock again;
    if (!DataBlock::Parse(b.bytes(), again) || again.payloadLength() != b.payloadLength())
        std::abort();
    return 0;
}
