// Feeds arbitrary request heads to the content server's request reader, and asks each for the
// part of files of several sizes: a part never reaches past the end of its file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "corvid/server/ContentRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    corvid::server::ContentRequest request;
    if (!request.Parse(std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    if (request.target().empty() || request.target()[0] != '/')
        std::abort();
    for (std::uint64_t fileSize : {0ULL, 1ULL, 100ULL, 5ULL << 30, ~0ULL >> 1}) {
        const auto part = request.PartOf(fileSize);
        if (part.status == 416)
            continue;
        if ((part.status != 200 && part.status != 206) || part.offset > fileSize ||
            part.length > fileSize - part.offset || (part.status == 206 && part.length == 0))
            std::abort();
    }
    return 0;
}
