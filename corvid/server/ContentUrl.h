#pragma once
// The object id inside a resource URL path: "/content/<media word>/<id>/<file name>".

#include <string>
#include <string_view>

namespace corvid::server {

// Longest id kept; a longer segment names no object.
constexpr std::size_t kMaxContentIdLength = 127;

// 0 with the id (empty when fewer than two "/" follow "content/"), or -1 when the path is not
// inside the "content" directory.
int ParseContentUrl(std::string_view path, std::string& id);

}  // namespace corvid::server
