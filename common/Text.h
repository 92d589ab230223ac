#pragma once
// Small text helpers both programs use: comparison without regard to ASCII case, the filling
// of a message's "%s" or "%d" placeholder, and the size column of the file lists.

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// text with its first "%s" or "%d" replaced by arg (unchanged when it has neither).
std::string FillArg(std::string text, std::string_view arg);

// A file size as the lists show it: bytes / 1024 rounded up, with a comma before every group of
// three digits from the right, then "KB" ("1,234,567KB").
std::string FormatSizeKB(std::uint64_t bytes);

}  // namespace common
