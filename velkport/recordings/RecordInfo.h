#pragma once
// The answer to REC_GET_INFO: one 65536-byte message with the event list and the first thumbnail
// chunk, and as many further thumbnail-chunk messages as it announces.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velkport::recordings {

struct EventEntry {
    std::uint32_t start = 0;
    std::uint32_t duration = 0;
    std::string name;         // UTF-8
    std::string description;  // UTF-8
};

struct RecordInfo {
    std::vector<EventEntry> events;
    std::string eventText;  // BuildEventText of the events
    std::uint32_t eventCount = 0;
    std::uint32_t thumbnailTotal = 0;  // bytes announced in all
    std::uint32_t gathered = 0;        // bytes received so far
    std::uint32_t chunkCount = 0;      // messages that carry thumbnail bytes, the first included
    std::uint32_t lastChunkIndex = 0;
    std::uint32_t chunkMessagesRead = 0;  // further messages read so far
    std::vector<std::uint8_t> thumbnail;  // thumbnailTotal bytes, zero-filled, gathered in order

    // Whether another thumbnail-chunk message is still to be read.
    bool needsMoreChunks() const;
};

// Limits on what a receiver may announce; a larger announcement makes the reply invalid.
inline constexpr std::uint32_t kMaxThumbnailBytes = 16u << 20;
inline constexpr std::uint32_t kMaxThumbnailChunks = 1024;

// Parses the first message. False when the magic is neither "VELK" nor "velk", when a length
// points beyond the message, or when the announced thumbnail is beyond the limits. A first
// chunk longer than the announced total is cut at the total.
bool ParseRecordInfo(std::span<const std::uint8_t> message, RecordInfo& info);

// Appends a further chunk message: its chunk goes behind the gathered bytes, cut at the
// announced total; a chunk of length 0 or less adds nothing and does not count as received.
void AppendThumbnailChunk(std::span<const std::uint8_t> message, RecordInfo& info);

// The readable form of the event list, one block per event:
// "YYYY:MM:DD hh:mm:ss-H:MM:SS(i/n)\r\n", the name and "\r\n", then the description.
std::string BuildEventText(const std::vector<EventEntry>& events);

// The messages a receiver sends for a recording: the first message, then the chunk messages.
// Events that do not fit into the first message are left out.
std::vector<std::vector<std::uint8_t>> BuildRecordInfoMessages(
    const std::vector<EventEntry>& events, std::span<const std::uint8_t> thumbnail);

}  // namespace velkport::recordings
