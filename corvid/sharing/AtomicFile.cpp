#include "corvid/sharing/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/FileDescriptor.h"

namespace corvid::sharing {

bool AtomicFile::Write(const std::filesystem::path& file, std::string_view bytes, mode_t mode) {
    std::string tmpl = file.string() + ".XXXXXX";
    common::FileDescriptor fd(::mkostemp(tmpl.data(), O_CLOEXEC));
    if (!fd.valid())
        return false;
    bool ok = ::fchmod(fd.fd(), mode) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd.fd(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd.fd()) == 0;
    ok = fd.close() && ok;
    ok = ok && ::rename(tmpl.c_str(), file.c_str()) == 0;
    if (!ok)
        ::unlink(tmpl.c_str());
    return ok;
}

}  // namespace corvid::sharing
