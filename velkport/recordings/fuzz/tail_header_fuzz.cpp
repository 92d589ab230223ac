// A recording file's header, read as the thumbnails, the PC list and the upload read it.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "velkport/recordings/LargeFile.h"
#include "velkport/recordings/TailHeader.h"

using namespace velkport::recordings;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int fd = memfd_create("tail", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return 0;
    }
    for (std::int64_t minimum : {std::int64_t{4}, kMinimumRecordingLength}) {
        int copy = dup(fd);
        TailHeaderReader reader;
        if (reader.open(LargeFile::adopt(copy), minimum) != TailStatus::Ok)
            continue;
        if (reader.streamLength() < 0 || reader.title().size() > 4 * kMaxTailTitleLength)
            __builtin_trap();
        std::string text;
        std::vector<std::uint8_t> thumbnail;
        if (!reader.readBody(text, thumbnail))
            continue;
        if (thumbnail.size() > size)
            __builtin_trap();
        HeaderBlock block;
        std::vector<std::uint8_t> payload;
        while (reader.nextBlock(block, payload) == 1)
            if (payload.size() > size)
                __builtin_trap();
    }
    close(fd);
    return 0;
}
