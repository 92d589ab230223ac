#include "corvid/server/ContentUrl.h"

namespace corvid::server {

int ParseContentUrl(std::string_view path, std::string& id) {
    id.clear();
    if (!path.empty() && path.front() == '/')
        path.remove_prefix(1);
    constexpr std::string_view kDir = "content/";
    if (path.substr(0, kDir.size()) != kDir)
        return -1;
    path.remove_prefix(kDir.size());
    const auto first = path.find('/');
    if (first == std::string_view::npos)
        return 0;
    const auto second = path.find('/', first + 1);
    if (second == std::string_view::npos)
        return 0;
    const std::string_view segment = path.substr(first + 1, second - first - 1);
    if (segment.size() <= kMaxContentIdLength)
        id.assign(segment);
    return 0;
}

}  // namespace corvid::server
