#include "velkport/media/PartialFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace velkport::media {

PartialFile::PartialFile(std::filesystem::path target) : target_(std::move(target)) {}

PartialFile::~PartialFile() {
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
}

bool PartialFile::fail(const std::string& what) {
    error_ = what + ": " + std::strerror(errno);
    return false;
}

bool PartialFile::Open() {
    std::string pattern =
        (target_.parent_path() / ("." + target_.filename().string() + ".part-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(target_.string());
    fd_ = common::FileDescriptor(fd);
    temp_ = name.data();
    ::fchmod(fd, 0644);
    return true;
}

bool PartialFile::Write(const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        const ssize_t w = ::write(fd_.fd(), p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return fail(target_.string());
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

bool PartialFile::Commit() {
    if (!fd_.valid())
        return false;
    if (::fsync(fd_.fd()) != 0 || !fd_.close())
        return fail(target_.string());
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        return fail(target_.string());
    committed_ = true;
    return true;
}

bool PartialFile::WriteWhole(const std::filesystem::path& target, const void* data, std::size_t n,
                             std::string* error) {
    PartialFile f(target);
    const bool ok = f.Open() && f.Write(data, n) && f.Commit();
    if (!ok && error)
        *error = f.error();
    return ok;
}

}  // namespace velkport::media
