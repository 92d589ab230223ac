#pragma once
// The bytes a recording plays: the transport stream of its first file without the header copy
// and trailer behind it, followed by the whole of each part file, read as one stream. An MP3
// file or a transport stream without a header plays whole. Reads are positioned (pread), so the
// stream may be read from any thread.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/FileDescriptor.h"
#include "velkport/recordings/playback/MediaKind.h"

namespace velkport::recordings::playback {

class PartStream {
  public:
    // Opens every file of the playlist. False when one cannot be opened (errorText says which).
    bool open(const std::vector<std::filesystem::path>& files, MediaKind kind);

    std::uint64_t length() const { return length_; }
    // Up to n bytes from offset, across part boundaries; 0 at the end, -1 on a read error.
    std::int64_t read(std::uint64_t offset, void* data, std::size_t n) const;
    // Whether the stream starts like a transport stream: four packets in a row with their sync
    // byte, within the first packet length.
    bool looksLikeTransportStream() const;
    // Bytes of the first file the stream leaves out (the header copy and its trailer).
    std::uint64_t tailLength() const { return tail_; }
    const std::string& errorText() const { return error_; }

  private:
    struct Segment {
        common::FileDescriptor fd;
        std::uint64_t start = 0;   // offset of its first byte in the stream
        std::uint64_t length = 0;  // bytes it adds to the stream
    };
    std::vector<Segment> segments_;
    std::uint64_t length_ = 0;
    std::uint64_t tail_ = 0;
    std::string error_;
};

}  // namespace velkport::recordings::playback
