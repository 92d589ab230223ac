#include "velkport/link/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace velkport::link {

ReplacingFile::~ReplacingFile() {
    discard();
}

bool ReplacingFile::fail(const char* what) {
    error_ = std::string(what) + " " + target_.string() + ": " + std::strerror(errno);
    return false;
}

bool ReplacingFile::open(const std::filesystem::path& target) {
    discard();
    target_ = target;
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    file_ = common::FileDescriptor(::mkostemp(name.data(), O_CLOEXEC));
    if (!file_.valid())
        return fail("cannot create a file beside");
    temp_ = name;
    struct stat st {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0644 & ~mask;
    }
    ::fchmod(file_.fd(), mode);
    return true;
}

bool ReplacingFile::write(const void* data, std::size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t w = ::write(file_.fd(), p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            if (w == 0)
                errno = ENOSPC;
            return fail("cannot write");
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

bool ReplacingFile::commit() {
    if (!file_.valid())
        return false;
    bool ok = ::fsync(file_.fd()) == 0 || fail("cannot write");
    ok = (file_.close() || fail("cannot write")) && ok;
    ok = ok && (::rename(temp_.c_str(), target_.c_str()) == 0 || fail("cannot replace"));
    if (ok)
        temp_.clear();
    discard();
    return ok;
}

void ReplacingFile::discard() {
    file_.close();
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

}  // namespace velkport::link
