// Feeds arbitrary bytes as the two things Corvid reads from others on this PC: the 12-byte
// address record on its local socket and a subtitle file converted from Windows-1252.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "corvid/sharing/SingleInstance.h"
#include "corvid/sharing/SubtitleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using corvid::sharing::SingleInstance;
    if (size >= SingleInstance::kRecordSize) {
        if (const auto decoded = SingleInstance::Decode(data)) {
            // Whatever the record, the address is dotted text that packs back to its number.
            if (!SingleInstance::PackAddress(decoded->first))
                std::abort();
        }
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = corvid::sharing::SubtitleFile::Cp1252ToUtf8(text);
    // Every byte becomes one to three bytes, never more.
    if (utf8.size() < size || utf8.size() > 3 * size)
        std::abort();
    return 0;
}
