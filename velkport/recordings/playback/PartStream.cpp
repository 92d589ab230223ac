#include "velkport/recordings/playback/PartStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "velkport/recordings/TailHeader.h"

namespace velkport::recordings::playback {

namespace {

constexpr std::size_t kPacket = 188;

}  // namespace

bool PartStream::open(const std::vector<std::filesystem::path>& files, MediaKind kind) {
    segments_.clear();
    length_ = tail_ = 0;
    error_.clear();
    for (std::size_t i = 0; i < files.size(); ++i) {
        Segment s;
        s.fd = common::FileDescriptor(::open(files[i].c_str(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (!s.fd.valid() || ::fstat(s.fd.fd(), &st) != 0) {
            error_ = files[i].string() + ": " + std::strerror(errno);
            segments_.clear();
            return false;
        }
        s.length = static_cast<std::uint64_t>(st.st_size);
        // Only the first file of a recording carries the header copy; a file that does not
        // hold a valid one is a plain transport stream and plays whole.
        if (i == 0 && (kind == MediaKind::Tv || kind == MediaKind::Radio)) {
            TailHeaderReader reader;
            if (reader.open(files[i], LargeFile::Mode::ReadShared, 4) == TailStatus::Ok &&
                reader.streamLength() >= 0) {
                tail_ = s.length - static_cast<std::uint64_t>(reader.streamLength());
                s.length = static_cast<std::uint64_t>(reader.streamLength());
            }
        }
        s.start = length_;
        length_ += s.length;
        segments_.push_back(std::move(s));
    }
    return true;
}

std::int64_t PartStream::read(std::uint64_t offset, void* data, std::size_t n) const {
    auto* out = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    for (const auto& s : segments_) {
        if (done == n)
            break;
        std::uint64_t at = offset + done;
        if (at < s.start || at >= s.start + s.length)
            continue;
        std::uint64_t inSegment = at - s.start;
        std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(n - done, s.length - inSegment));
        while (want > 0) {
            ssize_t r = ::pread(s.fd.fd(), out + done, want, static_cast<off_t>(inSegment));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return -1;
            if (r == 0)  // the file shrank since it was opened
                return static_cast<std::int64_t>(done);
            done += static_cast<std::size_t>(r);
            inSegment += static_cast<std::uint64_t>(r);
            want -= static_cast<std::size_t>(r);
        }
    }
    return static_cast<std::int64_t>(done);
}

bool PartStream::looksLikeTransportStream() const {
    unsigned char head[kPacket * 5];
    std::int64_t got = read(0, head, sizeof head);
    if (got < static_cast<std::int64_t>(kPacket * 4))
        return false;
    for (std::size_t first = 0; first < kPacket; ++first) {
        std::size_t packets = 0;
        while (packets < 4 && first + packets * kPacket < static_cast<std::size_t>(got) &&
               head[first + packets * kPacket] == 0x47)
            ++packets;
        if (packets == 4)
            return true;
    }
    return false;
}

}  // namespace velkport::recordings::playback
