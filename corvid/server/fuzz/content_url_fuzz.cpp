// Feeds arbitrary request paths to the content URL parser and the text repair of titles.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "corvid/server/ContentUrl.h"
#include "corvid/server/Utf8Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    std::string id;
    const int rc = corvid::server::ParseContentUrl(path, id);
    if (rc != 0 && !id.empty())
        std::abort();
    if (id.size() > corvid::server::kMaxContentIdLength || id.find('/') != std::string::npos)
        std::abort();
    const std::string text = corvid::server::Utf8Text(path);
    if (corvid::server::Utf8Text(text) != text)
        std::abort();  // the repair gives text that needs no further repair
    const std::string encoded = corvid::server::PercentEncode(text);
    if (encoded.find_first_of(" /?#<>\"&") != std::string::npos)
        std::abort();
    return 0;
}
