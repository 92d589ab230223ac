#pragma once
// The 65536-byte block of an MP3 / JPEG download: bytes 0-3 hold the number of payload bytes
// (big-endian, at most 65532), the payload starts at byte 4. A block whose payload fills it
// (n + 4 = 65536) is followed by another.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velkport::link {

class DataBlock {
  public:
    static constexpr std::size_t kSize = 65536;
    static constexpr std::size_t kHeaderSize = 4;
    static constexpr std::size_t kMaxPayload = kSize - kHeaderSize;  // 65532

    DataBlock() : bytes_(kSize, 0) {}

    // A block carrying the first kMaxPayload bytes of payload at most.
    static DataBlock WithPayload(std::span<const std::uint8_t> payload);

    std::uint32_t payloadLength() const { return length_; }
    std::span<const std::uint8_t> payload() const {
        return std::span<const std::uint8_t>(bytes_).subspan(kHeaderSize, length_);
    }
    // True when the payload fills the block, so that another block follows.
    bool isFull() const { return length_ == kMaxPayload; }

    std::span<const std::uint8_t> bytes() const { return bytes_; }
    std::uint8_t* data() { return bytes_.data(); }

    // Reads a received block: at least 4 bytes, a length of at most 65532 that the bytes hold.
    static bool Parse(std::span<const std::uint8_t> bytes, DataBlock& out);

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint32_t length_ = 0;
};

}  // namespace velkport::link
