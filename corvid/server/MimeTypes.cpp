#include "corvid/server/MimeTypes.h"

#include <cctype>

namespace corvid::server {

namespace {

struct Entry {
    const char* extension;
    const char* mime;
};

constexpr Entry kTypes[] = {
    {"mp3", "audio/mpeg"},
    {"mp2", "audio/mpeg"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"gif", "image/gif"},
    {"png", "image/png"},
    {"mpeg", "video/mpeg"},
    {"mpg", "video/mpeg"},
    {"vob", "video/mpeg"},
    {"ps", "video/mpeg"},
    {"pva", "video/mpeg"},
    {"ts", "video/mp2t"},
    {"tts", "video/mp2t"},
    {"avi", "video/x-msvideo"},
    {"asf", "video/x-ms-asf"},
    {"wmv", "video/x-ms-wmv"},
    {"wma", "audio/x-ms-wma"},
    {"ogg", "audio/ogg"},
    {"ogm", "video/ogg"},
    {"mov", "video/quicktime"},
    {"3gp", "video/3gpp"},
    {"rm", "application/vnd.rn-realmedia"},
    {"rv", "video/vnd.rn-realvideo"},
    {"ra", "audio/vnd.rn-realaudio"},
    {"dts", "audio/vnd.dts"},
    {"aac", "audio/aac"},
    {"ac3", "audio/ac3"},
    {"wav", "audio/wav"},
};

bool sameText(std::string_view a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

std::string MimeTypeFor(std::string_view extension, sharing::MediaType type) {
    for (const Entry& e : kTypes) {
        if (sameText(extension, e.extension))
            return e.mime;
    }
    switch (type) {
        case sharing::MediaType::Music:
            return "audio/mpeg";
        case sharing::MediaType::Jpeg:
            return "image/jpeg";
        case sharing::MediaType::Video:
        case sharing::MediaType::Record:
            return "video/mpeg";
    }
    return "application/octet-stream";
}

}  // namespace corvid::server
