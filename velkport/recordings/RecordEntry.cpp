#include "velkport/recordings/RecordEntry.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"
#include "velkport/recordings/RecordText.h"

namespace velkport::recordings {

namespace {
constexpr std::size_t kChannelNameField = 24;
constexpr std::size_t kFileNameField = 64;

void StoreText(std::uint8_t* field, std::size_t size, const std::string& text) {
    std::string cut = CutToBytes(text, size - 1);
    std::memcpy(field, cut.data(), cut.size());
}
}  // namespace

std::string TrimTitleField(std::span<const std::uint8_t> field) {
    std::string raw(field.begin(), field.end());
    for (std::size_t i = raw.size(); i > 0; --i) {
        if (raw[i - 1] != ' ' && raw[i - 1] != '\0')
            break;
        raw[i - 1] = '\0';
    }
    return std::string(raw.c_str());
}

std::optional<RecordEntry> ParseRecordEntry(std::span<const std::uint8_t> bytes) {
    common::ByteReader r(bytes);
    RecordEntry e;
    e.marker = r.be32();
    e.reserved = r.be32();
    e.channelNumber = r.be32();
    e.channelName = r.fixedText(kChannelNameField);
    r.skip(2);
    auto title = r.bytes(kTitleFieldSize);
    e.fileName = r.fixedText(kFileNameField);
    r.skip(2);
    e.start = r.be32();
    e.duration = r.be32();
    e.scrambled = r.be32();
    if (!r.ok())
        return std::nullopt;
    e.title = TrimTitleField(title);
    return e;
}

std::array<std::uint8_t, kRecordEntrySize> BuildRecordEntry(const RecordEntry& entry) {
    std::array<std::uint8_t, kRecordEntrySize> b{};
    common::storeBe32(&b[0], entry.marker);
    common::storeBe32(&b[4], entry.reserved);
    common::storeBe32(&b[8], entry.channelNumber);
    StoreText(&b[12], kChannelNameField, entry.channelName);
    StoreText(&b[38], kTitleFieldSize, entry.title);
    StoreText(&b[70], kFileNameField, entry.fileName);
    common::storeBe32(&b[136], entry.start);
    common::storeBe32(&b[140], entry.duration);
    common::storeBe32(&b[144], entry.scrambled);
    return b;
}

ListMessageKind ParseListMessage(std::span<const std::uint8_t> message, RecordEntry& entry) {
    if (message.size() < 4 + kRecordEntrySize || std::memcmp(message.data(), "info", 4) != 0)
        return ListMessageKind::Skip;
    auto parsed = ParseRecordEntry(message.subspan(4, kRecordEntrySize));
    if (!parsed)
        return ListMessageKind::Skip;
    entry = std::move(*parsed);
    return entry.isEnd() ? ListMessageKind::End : ListMessageKind::Entry;
}

void BuildListMessage(const RecordEntry& entry, std::span<std::uint8_t> message) {
    std::fill(message.begin(), message.end(), 0);
    std::memcpy(message.data(), "info", 4);
    auto b = BuildRecordEntry(entry);
    std::copy(b.begin(), b.end(), message.begin() + 4);
}

void BuildListEndMessage(std::span<std::uint8_t> message) {
    std::fill(message.begin(), message.end(), 0);
    std::memcpy(message.data(), "info", 4);
    common::storeBe32(message.data() + 4, kListEndMarker);
}

std::vector<std::uint8_t> BuildTitleBlock(const std::string& title) {
    std::vector<std::uint8_t> block(kNameBlockSize, 0);
    const std::string cut = CutToBytes(title, kTitleFieldSize - 1);
    std::copy(cut.begin(), cut.end(), block.begin());
    return block;
}

}  // namespace velkport::recordings
