#pragma once
// The two receiver areas the media managers work on. The type picks the command channel, the
// disk-usage command, the second half of a folder entry, the file extensions and the texts.

#include <cstdint>
#include <string>

namespace velkport::media {

enum class MediaType : std::uint8_t { Mp3 = 1, Jpeg = 2 };

struct MediaTraits {
    std::uint8_t channel;        // 2 or 3
    std::uint8_t diskUsageCode;  // 0x31 or 0x32
    const char* typeText;        // "Mp3" / "JPEG" (Type column)
    const char* extension;       // ".mp3" / ".jpg", appended to a renamed file without one
    int titleMessage;            // 173 / 174
    int noSpaceMessage;          // 170 / 169
    int column3Message;          // 260 "Modified" / 265 "Created"
};

const MediaTraits& Traits(MediaType type);

// True when the extension after the last "." of name (in lower case) belongs to the area:
// "mp3" for MP3, "jpg" or "jpeg" for JPEG.
bool HasAreaExtension(MediaType type, const std::string& name);

// "mp3" / "jpeg", the area's name on the command line and in the emulated receiver.
const char* AreaName(MediaType type);

}  // namespace velkport::media
