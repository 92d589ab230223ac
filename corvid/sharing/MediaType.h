#pragma once
// The kind of media a shared folder holds. The numbers are those the rest of Corvid stores.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvid::sharing {

enum class MediaType : std::uint8_t { Music = 0, Jpeg = 1, Video = 2, Record = 3 };

// "music", "jpeg", "video", "record" (any case) → the type; anything else (also "vlc") → none.
std::optional<MediaType> mediaTypeFromName(std::string_view name);
// The lower-case name: "music", "jpeg", "video", "record".
const char* mediaTypeName(MediaType type);
// True for the five share remarks Corvid recognises: the four above and "vlc", in lower or
// upper case.
bool isShareTypeName(std::string_view name);

}  // namespace corvid::sharing
