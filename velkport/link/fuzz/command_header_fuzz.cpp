// Command headers as the emulated receiver reads them from a client.
#include <cstdlib>

#include "velkport/link/CommandHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velkport::link::CommandHeader;
    CommandHeader h;
    if (!CommandHeader::Parse(std::span<const std::uint8_t>(data, size), h))
        return 0;
    // What was read builds back into a header that reads the same.
    CommandHeader again;
    const auto built = h.Build();
    if (!CommandHeader::Parse(built, again) || again.code() != h.code() ||
        again.value() != h.value())
        std::abort();
    return 0;
}
