#pragma once
// A file on the PC that is written under a hidden temporary name beside its target and replaces
// the target only when everything arrived: flushed to the disk, then renamed over it. A full
// disk, a file-size limit, a failed download or a crash leave the old file as it was, and the
// temporary file is removed on every way out that does not commit.

#include <cstddef>
#include <filesystem>
#include <string>

#include "common/FileDescriptor.h"

namespace velkport::link {

class ReplacingFile {
  public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates ".NAME.XXXXXX" in the target's folder. A target that exists lends its permission
    // bits; a new file gets 0644 less the umask. False (with errorText) when it cannot be made.
    bool open(const std::filesystem::path& target);
    int fd() const { return file_.fd(); }
    const std::filesystem::path& tempPath() const { return temp_; }
    bool write(const void* data, std::size_t n);
    // Flushes, closes and renames the temporary file over the target. False on any failure,
    // and the temporary file is gone either way.
    bool commit();
    // Removes the temporary file without touching the target.
    void discard();
    const std::string& errorText() const { return error_; }

  private:
    bool fail(const char* what);

    common::FileDescriptor file_;
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::string error_;
};

}  // namespace velkport::link
