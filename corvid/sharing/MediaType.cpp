#include "corvid/sharing/MediaType.h"

#include <algorithm>
#include <cctype>

namespace corvid::sharing {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

}  // namespace

std::optional<MediaType> mediaTypeFromName(std::string_view name) {
    const std::string n = lower(name);
    if (n == "music")
        return MediaType::Music;
    if (n == "jpeg")
        return MediaType::Jpeg;
    if (n == "video")
        return MediaType::Video;
    if (n == "record")
        return MediaType::Record;
    return std::nullopt;
}

const char* mediaTypeName(MediaType type) {
    switch (type) {
        case MediaType::Music:
            return "music";
        case MediaType::Jpeg:
            return "jpeg";
        case MediaType::Video:
            return "video";
        case MediaType::Record:
            return "record";
    }
    return "";
}

bool isShareTypeName(std::string_view name) {
    static const char* const kNames[] = {"music", "jpeg", "video", "vlc", "record"};
    for (const char* n : kNames) {
        if (name == n || name == upper(n))
            return true;
    }
    return false;
}

}  // namespace corvid::sharing
