#include "velkport/recordings/RecordInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"
#include "velkport/recordings/RecordCommands.h"
#include "velkport/recordings/RecordText.h"

namespace velkport::recordings {

namespace {

constexpr std::size_t kChunkDataOffset = 16;

// A length field followed by its text; a length of 0 or less is followed by 4 filler bytes.
std::string ReadLengthText(common::ByteReader& r) {
    auto length = static_cast<std::int32_t>(r.be32());
    if (length <= 0) {
        r.skip(4);
        return {};
    }
    auto bytes = r.bytes(static_cast<std::size_t>(length));
    return std::string(bytes.begin(), bytes.end());
}

void CopyChunk(std::span<const std::uint8_t> chunk, RecordInfo& info) {
    std::size_t room = info.thumbnail.size() - info.gathered;
    std::size_t n = std::min(chunk.size(), room);
    std::copy_n(chunk.begin(), n, info.thumbnail.begin() + info.gathered);
    info.gathered += static_cast<std::uint32_t>(n);
}

}  // namespace

bool RecordInfo::needsMoreChunks() const {
    return chunkCount > 1 && lastChunkIndex + 1 < chunkCount && chunkMessagesRead + 1 < chunkCount;
}

bool ParseRecordInfo(std::span<const std::uint8_t> message, RecordInfo& info) {
    info = RecordInfo{};
    common::ByteReader r(message);
    auto magic = r.bytes(4);
    if (!r.ok() ||
        (std::memcmp(magic.data(), "VELK", 4) != 0 && std::memcmp(magic.data(), "velk", 4) != 0))
        return false;
    std::uint32_t n = r.be32();
    while (r.ok() && info.events.size() < n) {
        EventEntry e;
        e.start = r.be32();
        e.duration = r.be32();
        e.name = ReadLengthText(r);
        e.description = ReadLengthText(r);
        if (r.ok())
            info.events.push_back(std::move(e));
    }
    auto total = static_cast<std::int32_t>(r.be32());
    auto first = static_cast<std::int32_t>(r.be32());
    std::uint32_t count = r.be32();
    std::uint32_t index = r.be32();
    if (!r.ok() || count > kMaxThumbnailChunks ||
        (total > 0 && static_cast<std::uint32_t>(total) > kMaxThumbnailBytes))
        return false;
    std::span<const std::uint8_t> chunk;
    if (first > 0) {
        chunk = r.bytes(static_cast<std::size_t>(first));
        if (!r.ok())
            return false;
    }
    info.eventCount = n;
    info.eventText = BuildEventText(info.events);
    info.chunkCount = count;
    info.lastChunkIndex = index;
    if (total > 0) {
        info.thumbnailTotal = static_cast<std::uint32_t>(total);
        info.thumbnail.assign(info.thumbnailTotal, 0);
        CopyChunk(chunk, info);
    }
    return true;
}

void AppendThumbnailChunk(std::span<const std::uint8_t> message, RecordInfo& info) {
    ++info.chunkMessagesRead;
    if (message.size() < kChunkDataOffset)
        return;
    auto length = static_cast<std::int32_t>(common::loadBe32(message.data() + 4));
    if (length <= 0)
        return;
    std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(length), message.size() - kChunkDataOffset);
    CopyChunk(message.subspan(kChunkDataOffset, n), info);
    info.lastChunkIndex = common::loadBe32(message.data() + 12);
}

std::string BuildEventText(const std::vector<EventEntry>& events) {
    std::string text;
    const std::size_t n = events.size();
    for (std::size_t i = 0; i < n; ++i) {
        const EventEntry& e = events[i];
        std::time_t t = static_cast<std::time_t>(e.start);
        std::tm tm{};
        if (localtime_r(&t, &tm)) {
            char line[128];
            std::snprintf(line, sizeof line, "%04d:%02d:%02d %02d:%02d:%02d-%s(%zu/%zu)\r\n",
                          tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          tm.tm_sec, FormatDuration(e.duration).c_str(), i + 1, n);
            text += line;
        }
        if (!e.name.empty())
            text += ToDisplayText(e.name) + "\r\n";
        if (!e.description.empty())
            text += ToDisplayText(e.description);
    }
    return text;
}

std::vector<std::vector<std::uint8_t>> BuildRecordInfoMessages(
    const std::vector<EventEntry>& events, std::span<const std::uint8_t> thumbnail) {
    std::vector<std::uint8_t> first(kMessageSize, 0);
    std::memcpy(first.data(), "VELK", 4);
    std::size_t pos = 8;
    std::uint32_t stored = 0;
    auto putText = [&](const std::string& s) {
        common::storeBe32(&first[pos], static_cast<std::uint32_t>(s.size()));
        pos += 4;
        if (s.empty()) {
            pos += 4;
        } else {
            std::memcpy(&first[pos], s.data(), s.size());
            pos += s.size();
        }
    };
    constexpr std::size_t kThumbnailFields = 16;
    for (const EventEntry& e : events) {
        std::size_t need = 8 + 4 + std::max<std::size_t>(e.name.size(), 4) + 4 +
                           std::max<std::size_t>(e.description.size(), 4);
        if (pos + need + kThumbnailFields > kMessageSize)
            break;
        common::storeBe32(&first[pos], e.start);
        common::storeBe32(&first[pos + 4], e.duration);
        pos += 8;
        putText(e.name);
        putText(e.description);
        ++stored;
    }
    common::storeBe32(&first[4], stored);
    std::size_t total = std::min<std::size_t>(thumbnail.size(), kMaxThumbnailBytes);
    std::size_t firstChunk = std::min(total, kMessageSize - pos - kThumbnailFields);
    constexpr std::size_t kChunkRoom = kMessageSize - kChunkDataOffset;
    std::size_t rest = total - firstChunk;
    std::size_t count = 1 + (rest + kChunkRoom - 1) / kChunkRoom;
    common::storeBe32(&first[pos], static_cast<std::uint32_t>(total));
    common::storeBe32(&first[pos + 4], static_cast<std::uint32_t>(firstChunk));
    common::storeBe32(&first[pos + 8], static_cast<std::uint32_t>(count));
    common::storeBe32(&first[pos + 12], 0);
    pos += kThumbnailFields;
    std::copy_n(thumbnail.begin(), firstChunk, first.begin() + static_cast<std::ptrdiff_t>(pos));
    std::vector<std::vector<std::uint8_t>> out;
    out.push_back(std::move(first));
    std::size_t offset = firstChunk;
    for (std::size_t i = 1; i < count; ++i) {
        std::vector<std::uint8_t> m(kMessageSize, 0);
        std::size_t n = std::min(kChunkRoom, total - offset);
        common::storeBe32(&m[4], static_cast<std::uint32_t>(n));
        common::storeBe32(&m[12], static_cast<std::uint32_t>(i));
        std::copy_n(thumbnail.begin() + static_cast<std::ptrdiff_t>(offset), n,
                    m.begin() + kChunkDataOffset);
        offset += n;
        out.push_back(std::move(m));
    }
    return out;
}

}  // namespace velkport::recordings
