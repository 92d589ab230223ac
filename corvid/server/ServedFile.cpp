#include "corvid/server/ServedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace corvid::server {

ServedFile::~ServedFile() {
    Close();
}

int ServedFile::GetInfo(const std::string& path, Info& info) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    info.length = static_cast<std::uint64_t>(st.st_size);
    info.lastModified = st.st_mtime;
    info.isDirectory = S_ISDIR(st.st_mode);
    info.isReadable = true;
    return 0;
}

bool ServedFile::Open(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        return false;
    }
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

int ServedFile::Read(char* buffer, std::size_t length) {
    if (fd_ < 0)
        return -1;
    if (length > static_cast<std::size_t>(INT_MAX))
        length = static_cast<std::size_t>(INT_MAX);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(fd_, buffer + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return done > 0 ? static_cast<int>(done) : -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<int>(done);
}

int ServedFile::Seek(off_t offset, int origin) {
    if (fd_ < 0)
        return -1;
    return ::lseek(fd_, offset, origin) < 0 ? -1 : 0;
}

int ServedFile::Close() {
    if (fd_ < 0)
        return 0;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : -1;
}

}  // namespace corvid::server
