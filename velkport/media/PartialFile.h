#pragma once
// A file written on the PC under a temporary name beside its final place and renamed there only
// when it is complete: a transfer that fails or is cancelled leaves neither a partial file nor a
// damaged older file of the same name. The temporary file goes with the object unless
// Commit() succeeded.

#include <cstddef>
#include <filesystem>
#include <string>

#include "common/FileDescriptor.h"

namespace velkport::media {

class PartialFile {
  public:
    explicit PartialFile(std::filesystem::path target);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Creates the temporary file; false (with error() set) when it cannot be made.
    bool Open();
    bool Write(const void* data, std::size_t n);
    // Flushes, closes and renames onto the target.
    bool Commit();

    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporary() const { return temp_; }
    const std::string& error() const { return error_; }

    // Writes bytes to target through a temporary file in one go.
    static bool WriteWhole(const std::filesystem::path& target, const void* data, std::size_t n,
                           std::string* error = nullptr);

  private:
    bool fail(const std::string& what);

    std::filesystem::path target_;
    std::filesystem::path temp_;
    common::FileDescriptor fd_;
    bool committed_ = false;
    std::string error_;
};

}  // namespace velkport::media
