#pragma once
// The 64-byte record that ends every request: "velk" and three big-endian fields. Field 2 carries
// the result of commands that return one number; field 3 = kBusy means the function is in use.
// Bytes 16-63 are not read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velkport::link {

class ReplyRecord {
  public:
    static constexpr std::size_t kSize = 64;
    static constexpr std::uint32_t kMagic = 0x76656C6B;   // "velk" read as a big-endian number
    static constexpr std::uint32_t kBusy = 0xFFFFFFFF;    // field 3 of a refusal: function busy
    static constexpr std::uint32_t kFailed = 0xFFFFFFFF;  // field 1 of an unknown command's reply
    using Bytes = std::array<std::uint8_t, kSize>;

    // The four words as read: magic, field 1, field 2, field 3.
    std::array<std::uint32_t, 4> words{};

    std::uint32_t magic() const { return words[0]; }
    std::uint32_t field1() const { return words[1]; }
    std::uint32_t field2() const { return words[2]; }
    std::uint32_t field3() const { return words[3]; }
    bool busy() const { return words[3] == kBusy; }

    static Bytes Build(std::uint32_t field1, std::uint32_t field2, std::uint32_t field3);
    // True when the first four bytes are "velk".
    static bool HasMagic(std::span<const std::uint8_t> bytes);
    // Reads the four words of a record of at least 16 bytes; false (out untouched) when the bytes
    // are too few or do not start with "velk".
    static bool Parse(std::span<const std::uint8_t> bytes, ReplyRecord& out);
};

}  // namespace velkport::link
