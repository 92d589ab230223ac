// Feeds arbitrary bytes to the FTP reply reader as if a server had sent them, in pieces whose
// sizes come from the input too, and checks what the reader hands out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "velkport/link/FtpReplyReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the piece size the "network" delivers.
    std::size_t step = size > 0 ? (data[0] % 17) + 1 : 1;
    std::size_t pos = size > 0 ? 1 : 0;
    velkport::link::FtpReplyReader reader([&](char* into, std::size_t capacity) -> long {
        std::size_t n = std::min({step, capacity, size - pos});
        for (std::size_t i = 0; i < n; ++i)
            into[i] = static_cast<char>(data[pos + i]);
        pos += n;
        return static_cast<long>(n);
    });
    std::string last;
    int replyClass = 0;
    int replies = 0;
    while (reader.ReadReply(last, replyClass)) {
        // A reply line never carries its line end and never exceeds the limit.
        if (last.find('\n') != std::string::npos ||
            last.size() > velkport::link::FtpReplyReader::kMaxLineLength)
            std::abort();
        if (++replies > static_cast<int>(size) + 1)
            std::abort();  // every reply consumes at least one byte
    }
    return 0;
}
