#pragma once
// Transport-stream blocks (512-byte block header + up to 48128 bytes of stream) and the flow
// control packet the PC answers with during a download.

#include <cstdint>
#include <span>

#include "velkport/recordings/RecordCommands.h"

namespace velkport::recordings {

struct StreamBlockHeader {
    std::uint32_t length = 0;         // payload bytes; a download data block has exactly 48128
    std::uint32_t progressRange = 0;  // download only
    std::uint32_t progressPosition = 0;

    // A download block carries data only with the full length; any other value ends the stream.
    bool isDownloadData() const { return length == kStreamPayloadSize; }
};

StreamBlockHeader ParseStreamBlockHeader(std::span<const std::uint8_t, kStreamHeaderSize> header);
// Fills the 512-byte header: length, range and position, the rest zero.
void BuildStreamBlockHeader(const StreamBlockHeader& header,
                            std::span<std::uint8_t, kStreamHeaderSize> out);

// "VELK" = go on, "velk" = stop; the other 60 bytes are zero.
void BuildFlowAck(bool goOn, std::span<std::uint8_t, kFlowAckSize> out);
// 1 = go on, 0 = stop, -1 = neither.
int ParseFlowAck(std::span<const std::uint8_t, kFlowAckSize> ack);

}  // namespace velkport::recordings
