#pragma once
// Small text helpers both programs use: comparison without regard to ASCII case, and the
// filling of a message's "%s" or "%d" placeholder.

#include <string>
#include <string_view>

namespace common {

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// text with its first "%s" or "%d" replaced by arg (unchanged when it has neither).
std::string FillArg(std::string text, std::string_view arg);

}  // namespace common
