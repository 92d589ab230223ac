#pragma once
// The 32-byte header that starts every request on a command channel: "VELK", fixed format bytes,
// the command code at byte 16 and, in the valued form, a 32-bit value at bytes 17-20.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velkport::link {

class CommandHeader {
  public:
    static constexpr std::size_t kSize = 32;
    using Bytes = std::array<std::uint8_t, kSize>;

    CommandHeader() = default;
    CommandHeader(std::uint8_t code, std::uint32_t value = 0) : code_(code), value_(value) {}

    std::uint8_t code() const { return code_; }
    std::uint32_t value() const { return value_; }

    // The plain form (value 0) and the valued form.
    static Bytes BuildPlain(std::uint8_t code);
    static Bytes BuildValued(std::uint8_t code, std::uint32_t value);
    Bytes Build() const { return BuildValued(code_, value_); }

    // Reads a header: needs at least 32 bytes starting with "VELK". The fixed bytes 4-15 and
    // 21-31 are not checked (a receiver ignores them too).
    static bool Parse(std::span<const std::uint8_t> bytes, CommandHeader& out);

  private:
    std::uint8_t code_ = 0;
    std::uint32_t value_ = 0;
};

}  // namespace velkport::link
