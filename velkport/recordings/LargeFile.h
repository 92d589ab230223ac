#pragma once
// A recording file with 64-bit lengths and offsets (recordings exceed 4 GiB). Closes itself.
// Failures keep the system's error text for the message box.

#include <cstdint>
#include <filesystem>
#include <string>

namespace velkport::recordings {

class LargeFile {
  public:
    enum class Mode {
        ReadShared,       // read; others may read and write (thumbnails, titles)
        ReadDenyWrite,    // read; the upload reads a file nobody should be writing
        CreateReadWrite,  // create, exclusive, read-write (TV download)
        CreateWriteOnly,  // create, exclusive, write-only (radio download)
        Append,           // open an existing file to add to its end
    };
    enum class Origin { Begin, Current, End };

    LargeFile() = default;
    ~LargeFile();
    LargeFile(LargeFile&& other) noexcept;
    LargeFile& operator=(LargeFile&& other) noexcept;
    LargeFile(const LargeFile&) = delete;
    LargeFile& operator=(const LargeFile&) = delete;

    bool open(const std::filesystem::path& path, Mode mode);
    // Takes over an open descriptor (tests and fuzz targets use memory files).
    static LargeFile adopt(int fd);
    bool isOpen() const { return fd_ >= 0; }
    void close();

    // Reads up to n bytes (fewer only at the end of the file); -1 on error.
    std::int64_t read(void* data, std::size_t n);
    // Reads exactly n bytes; false at the end of the file or on error.
    bool readExactly(void* data, std::size_t n);
    bool write(const void* data, std::size_t n);
    bool seek(std::int64_t offset, Origin origin);
    std::int64_t position() const;
    std::int64_t length() const;  // -1 on error

    // The system's text of the last failure, with the file's name.
    const std::string& errorText() const { return error_; }

  private:
    bool fail(const char* what);

    int fd_ = -1;
    std::filesystem::path path_;
    std::string error_;
};

}  // namespace velkport::recordings
