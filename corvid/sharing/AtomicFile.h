#pragma once
// Writes a whole file in one step: the bytes go to a temporary file beside it, which is then
// renamed over the target, so a reader sees the old file or the new one, never half of one.

#include <sys/types.h>
#include <filesystem>
#include <string_view>

namespace corvid::sharing {

class AtomicFile {
  public:
    // False (the old file untouched, no temporary file left) on any failure.
    static bool Write(const std::filesystem::path& file, std::string_view bytes,
                      mode_t mode = 0644);
};

}  // namespace corvid::sharing
