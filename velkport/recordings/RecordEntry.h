#pragma once
// The 148-byte record that describes one recording: in the receiver's list messages (behind the
// tag "info") and as the payload of the type-1 header block of a download.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "velkport/recordings/RecordCommands.h"

namespace velkport::recordings {

struct RecordEntry {
    std::uint32_t marker = 0;  // 0xFFFFFFFF in a list message ends the list
    std::uint32_t reserved = 0;
    std::uint32_t channelNumber = 0;
    std::string channelName;  // UTF-8, as received
    std::string title;        // UTF-8, trailing spaces cut
    std::string fileName;     // the receiver file name: the key in every later command
    std::uint32_t start = 0;
    std::uint32_t duration = 0;
    std::uint32_t scrambled = 0;

    bool isEnd() const { return marker == 0xFFFFFFFFu; }
};

inline constexpr std::uint32_t kListEndMarker = 0xFFFFFFFFu;

// Fails only when fewer than 148 bytes are given.
std::optional<RecordEntry> ParseRecordEntry(std::span<const std::uint8_t> bytes);

// The 148 bytes of an entry (texts cut to their fields, always zero-terminated).
std::array<std::uint8_t, kRecordEntrySize> BuildRecordEntry(const RecordEntry& entry);

// A 65536-byte list message: "info" then the entry at byte 4. The end of the list is an entry
// whose first field is 0xFFFFFFFF.
enum class ListMessageKind { Skip, Entry, End };
ListMessageKind ParseListMessage(std::span<const std::uint8_t> message, RecordEntry& entry);
void BuildListMessage(const RecordEntry& entry, std::span<std::uint8_t> message);
void BuildListEndMessage(std::span<std::uint8_t> message);

// The second block of a rename: the new title, at most 31 bytes of whole UTF-8 characters,
// zero-terminated, the rest of the 256 bytes zero.
std::vector<std::uint8_t> BuildTitleBlock(const std::string& title);

// Cuts trailing spaces of a fixed title field: scanning back from the last byte, spaces and zeros
// become zero until the first other byte; the text ends at the first zero.
std::string TrimTitleField(std::span<const std::uint8_t> field);

}  // namespace velkport::recordings
