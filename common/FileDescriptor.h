#pragma once
// A POSIX file descriptor that closes itself on every way out of a scope.

#include <unistd.h>

namespace common {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = other.release();
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // False when closing reported an error (for a written file: the data may not have arrived).
    bool close() {
        if (fd_ < 0)
            return true;
        int r = ::close(fd_);
        fd_ = -1;
        return r == 0;
    }

  private:
    int fd_ = -1;
};

}  // namespace common
