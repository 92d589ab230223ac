#include "velkport/recordings/StreamBlock.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"

namespace velkport::recordings {

StreamBlockHeader ParseStreamBlockHeader(std::span<const std::uint8_t, kStreamHeaderSize> header) {
    StreamBlockHeader h;
    h.length = common::loadBe32(header.data());
    h.progressRange = common::loadBe32(header.data() + 4);
    h.progressPosition = common::loadBe32(header.data() + 8);
    return h;
}

void BuildStreamBlockHeader(const StreamBlockHeader& header,
                            std::span<std::uint8_t, kStreamHeaderSize> out) {
    std::fill(out.begin(), out.end(), 0);
    common::storeBe32(out.data(), header.length);
    common::storeBe32(out.data() + 4, header.progressRange);
    common::storeBe32(out.data() + 8, header.progressPosition);
}

void BuildFlowAck(bool goOn, std::span<std::uint8_t, kFlowAckSize> out) {
    std::fill(out.begin(), out.end(), 0);
    std::memcpy(out.data(), goOn ? "VELK" : "velk", 4);
}

int ParseFlowAck(std::span<const std::uint8_t, kFlowAckSize> ack) {
    if (std::memcmp(ack.data(), "VELK", 4) == 0)
        return 1;
    if (std::memcmp(ack.data(), "velk", 4) == 0)
        return 0;
    return -1;
}

}  // namespace velkport::recordings
