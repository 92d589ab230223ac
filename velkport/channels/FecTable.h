#pragma once
// The FEC names a channel list file may carry and their codes.

#include <cstdint>
#include <string_view>

namespace velkport::channels {

class FecTable {
  public:
    static constexpr std::int32_t kUndefined = 20;
    // Exact, case-sensitive match; any other text is kUndefined.
    static std::int32_t codeOf(std::string_view name);
    // The name of a code 1..20; "UNDEFINED" for any other code.
    static std::string_view nameOf(std::int32_t code);
};

}  // namespace velkport::channels
