#pragma once
// The 65527-byte block of an upload (and of a game install): bytes 0-3 the number n of payload
// bytes, big-endian, at most 65523; the payload from byte 4. The block with n = 0 ends the
// transfer. The bytes after the payload carry no meaning.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velkport::media {

class UploadBlock {
  public:
    static constexpr std::size_t kSize = 65527;
    static constexpr std::size_t kHeaderSize = 4;
    static constexpr std::size_t kMaxPayload = kSize - kHeaderSize;  // 65523

    UploadBlock() : bytes_(kSize, 0) {}

    // Where the payload is read into; setLength then records how much of it counts.
    std::uint8_t* payloadData() { return bytes_.data() + kHeaderSize; }
    void setLength(std::size_t n);  // cut to kMaxPayload
    std::uint32_t length() const { return length_; }
    std::span<const std::uint8_t> payload() const {
        return std::span<const std::uint8_t>(bytes_).subspan(kHeaderSize, length_);
    }
    // The whole block as it goes on the wire.
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    // Reads a received block: kSize bytes whose length field is at most kMaxPayload.
    static bool Parse(std::span<const std::uint8_t> bytes, UploadBlock& out);

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint32_t length_ = 0;
};

}  // namespace velkport::media
