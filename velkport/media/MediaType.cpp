#include "velkport/media/MediaType.h"

#include <cctype>

#include "velkport/link/CommandCodes.h"

namespace velkport::media {

const MediaTraits& Traits(MediaType type) {
    static const MediaTraits kMp3{
        link::channel::kMp3, link::cmd::kMp3DiskUsage, "Mp3", ".mp3", 173, 170, 260};
    static const MediaTraits kJpeg{
        link::channel::kJpeg, link::cmd::kJpegDiskUsage, "JPEG", ".jpg", 174, 169, 265};
    return type == MediaType::Mp3 ? kMp3 : kJpeg;
}

bool HasAreaExtension(MediaType type, const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (type == MediaType::Mp3)
        return ext == "mp3";
    return ext == "jpg" || ext == "jpeg";
}

const char* AreaName(MediaType type) {
    return type == MediaType::Mp3 ? "mp3" : "jpeg";
}

}  // namespace velkport::media
