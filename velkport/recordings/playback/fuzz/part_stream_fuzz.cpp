// The stream a recording plays: the first file without its header copy, then a part file. The
// first input byte says where the input is cut into the two files.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "velkport/recordings/playback/MediaKind.h"
#include "velkport/recordings/playback/PartStream.h"

using namespace velkport::recordings::playback;

namespace {

// A memory file holding the bytes; its /proc path opens like any file.
int MemoryFile(const std::uint8_t* data, std::size_t n) {
    int fd = memfd_create("part", MFD_CLOEXEC);
    if (fd >= 0 && n > 0 && write(fd, data, n) != static_cast<ssize_t>(n)) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MediaKindOf(std::string(reinterpret_cast<const char*>(data), size));
    if (size < 1)
        return 0;
    std::size_t cut = 1 + (size - 1) * data[0] / 255;
    int first = MemoryFile(data + 1, cut - 1);
    int part = MemoryFile(data + cut, size - cut);
    if (first >= 0 && part >= 0) {
        PartStream stream;
        std::vector<std::filesystem::path> files{"/proc/self/fd/" + std::to_string(first),
                                                 "/proc/self/fd/" + std::to_string(part)};
        if (!stream.open(files, MediaKind::Tv))
            __builtin_trap();
        std::size_t firstLength = cut - 1;
        if (stream.tailLength() > firstLength ||
            stream.length() != firstLength - stream.tailLength() + (size - cut))
            __builtin_trap();
        std::vector<std::uint8_t> all(stream.length() + 7);
        if (stream.read(0, all.data(), all.size()) != static_cast<std::int64_t>(stream.length()))
            __builtin_trap();
        std::size_t kept = firstLength - stream.tailLength();
        if (std::memcmp(all.data(), data + 1, kept) != 0 ||
            std::memcmp(all.data() + kept, data + cut, size - cut) != 0)
            __builtin_trap();
        stream.looksLikeTransportStream();
    }
    if (first >= 0)
        close(first);
    if (part >= 0)
        close(part);
    return 0;
}
