#pragma once
// Full MIME types for the files the web server hands out, chosen by file extension.

#include <string>
#include <string_view>

#include "corvid/sharing/MediaType.h"

namespace corvid::server {

// The MIME type for a file's extension (any case); when the extension is not known, a type
// from the media word of the share ("audio/mpeg", "image/jpeg", "video/mpeg").
std::string MimeTypeFor(std::string_view extension, sharing::MediaType type);

}  // namespace corvid::server
