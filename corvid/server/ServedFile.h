#pragma once
// One file open for one HTTP request, from the web server's open to its close, for reading
// only. Offsets and lengths are 64-bit, so files over 4 GiB are served whole.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace corvid::server {

class ServedFile {
  public:
    struct Info {
        std::uint64_t length = 0;
        std::time_t lastModified = 0;
        bool isDirectory = false;
        bool isReadable = true;
    };

    ServedFile() = default;
    virtual ~ServedFile();
    ServedFile(const ServedFile&) = delete;
    ServedFile& operator=(const ServedFile&) = delete;

    // 0 with the file's size and time, -1 when it cannot be examined.
    static int GetInfo(const std::string& path, Info& info);
    // Opens a regular file for reading; closes an open file first.
    virtual bool Open(const std::string& path);
    // Bytes read (0 at the end), -1 on error.
    virtual int Read(char* buffer, std::size_t length);
    // origin as for lseek (SEEK_SET, SEEK_CUR, SEEK_END); 0 on success.
    virtual int Seek(off_t offset, int origin);
    virtual int Close();

    bool isOpen() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace corvid::server
