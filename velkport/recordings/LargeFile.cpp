#include "velkport/recordings/LargeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace velkport::recordings {

LargeFile::~LargeFile() {
    close();
}

LargeFile::LargeFile(LargeFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

LargeFile& LargeFile::operator=(LargeFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool LargeFile::fail(const char* what) {
    int e = errno;
    error_ = path_.string() + ": " + what + ": " + std::strerror(e);
    errno = e;
    return false;
}

bool LargeFile::open(const std::filesystem::path& path, Mode mode) {
    close();
    path_ = path;
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::ReadShared:
        case Mode::ReadDenyWrite:
            flags |= O_RDONLY;
            break;
        case Mode::CreateReadWrite:
            flags |= O_RDWR | O_CREAT | O_EXCL;
            break;
        case Mode::CreateWriteOnly:
            flags |= O_WRONLY | O_CREAT | O_EXCL;
            break;
        case Mode::Append:
            flags |= O_WRONLY | O_APPEND;
            break;
    }
    fd_ = ::open(path.c_str(), flags, 0644);
    if (fd_ < 0)
        return fail("cannot open");
    // Linux has no share modes; an advisory lock keeps two uploads of ours off one file.
    if (mode == Mode::ReadDenyWrite && ::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
        fail("file in use");
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

LargeFile LargeFile::adopt(int fd) {
    LargeFile f;
    f.fd_ = fd;
    f.path_ = "(memory)";
    return f;
}

void LargeFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::int64_t LargeFile::read(void* data, std::size_t n) {
    auto* p = static_cast<std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::read(fd_, p + done, n - done);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            fail("read failed");
            return -1;
        }
        if (r == 0)
            break;
        done += static_cast<std::size_t>(r);
    }
    return static_cast<std::int64_t>(done);
}

bool LargeFile::readExactly(void* data, std::size_t n) {
    std::int64_t r = read(data, n);
    if (r < 0)
        return false;
    if (static_cast<std::size_t>(r) != n) {
        errno = EIO;
        return fail("unexpected end of file");
    }
    return true;
}

bool LargeFile::write(const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::write(fd_, p + done, n - done);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return fail("write failed");
        }
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool LargeFile::seek(std::int64_t offset, Origin origin) {
    int whence = origin == Origin::Begin     ? SEEK_SET
                 : origin == Origin::Current ? SEEK_CUR
                                             : SEEK_END;
    if (::lseek(fd_, static_cast<off_t>(offset), whence) < 0)
        return fail("seek failed");
    return true;
}

std::int64_t LargeFile::position() const {
    return static_cast<std::int64_t>(::lseek(fd_, 0, SEEK_CUR));
}

std::int64_t LargeFile::length() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

}  // namespace velkport::recordings
