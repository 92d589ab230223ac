#pragma once
// One shared folder: its share name, the media-type name it was shared as, and its folder.

#include <cstdint>
#include <string>

namespace corvid::sharing {

struct ShareRecord {
    static constexpr std::size_t kMaxNameLength = 12;
    static constexpr std::size_t kMaxPathLength = 260;

    std::string name;             // share name, at most 12 characters
    std::uint32_t shareType = 0;  // 0 = disk share
    std::string mediaTypeName;    // "music", "jpeg", "video", "vlc" or "record"
    std::string path;             // the shared folder
    std::uint8_t readOnly = 0;    // 1 = the share does not grant write access
};

}  // namespace corvid::sharing
