// The info reply of a recording: the first message and the thumbnail chunks behind it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "velkport/recordings/RecordCommands.h"
#include "velkport/recordings/RecordInfo.h"

using namespace velkport::recordings;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first message is the input (zero-padded to a message); the input again, shifted, is
    // every further chunk message.
    std::vector<std::uint8_t> first(data, data + std::min(size, kMessageSize));
    first.resize(kMessageSize, 0);
    RecordInfo info;
    if (!ParseRecordInfo(first, info))
        return 0;
    std::vector<std::uint8_t> chunk(kMessageSize, 0);
    for (std::size_t i = 0; i < 8 && info.needsMoreChunks(); ++i) {
        std::fill(chunk.begin(), chunk.end(), 0);
        std::size_t from = std::min(size, i * 16);
        std::copy(data + from, data + std::min(size, from + kMessageSize), chunk.begin());
        AppendThumbnailChunk(chunk, info);
        if (info.gathered > info.thumbnail.size())
            __builtin_trap();
    }
    AppendThumbnailChunk(std::span(data, size), info);
    return 0;
}
