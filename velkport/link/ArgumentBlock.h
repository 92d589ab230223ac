#pragma once
// The zero-filled block sent after a command header when a command needs a name or flags:
// 256 bytes, or 1024 for the set-current-folder command. Usual shapes: a zero-terminated text
// from byte 0, or a flag / kind byte at byte 0 and a zero-terminated text from byte 1. Texts are
// cut so that the terminator always fits.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkport::link {

class ArgumentBlock {
  public:
    static constexpr std::size_t kSize = 256;
    static constexpr std::size_t kLargeSize = 1024;

    explicit ArgumentBlock(std::size_t size = kSize) : bytes_(size, 0) {}

    // A text from byte 0.
    static ArgumentBlock WithText(std::string_view text, std::size_t size = kSize);
    // A flag byte at byte 0 and a text from byte 1.
    static ArgumentBlock WithFlagAndText(std::uint8_t flag, std::string_view text,
                                         std::size_t size = kSize);

    std::size_t size() const { return bytes_.size(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::uint8_t* data() { return bytes_.data(); }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    void SetByte(std::size_t offset, std::uint8_t v);
    // Big-endian 32-bit value at offset (ignored when it does not fit).
    void SetU32(std::size_t offset, std::uint32_t v);
    // Zero-terminated text from offset, cut to the room left before the end of the block.
    void SetText(std::size_t offset, std::string_view text);

    std::uint8_t Byte(std::size_t offset) const { return offset < size() ? bytes_[offset] : 0; }
    std::uint32_t U32(std::size_t offset) const;
    // The zero-terminated text from offset (up to the end of the block when unterminated).
    std::string Text(std::size_t offset) const;

    // Takes a received block of exactly 256 or 1024 bytes.
    static bool Parse(std::span<const std::uint8_t> bytes, ArgumentBlock& out);

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace velkport::link
