#pragma once
// Text conversions for what goes on the wire: file names become valid UTF-8 that an XML document
// may carry, and URL path segments are percent-encoded.

#include <string>
#include <string_view>

namespace corvid::server {

// File names are bytes. Valid UTF-8 stays as it is; each byte that is not part of a valid UTF-8
// sequence is taken as Latin-1; characters that XML 1.0 does not allow (control characters,
// U+FFFE, U+FFFF) become U+FFFD. The result is always valid UTF-8 and valid XML character data.
std::string Utf8Text(std::string_view bytes);

// Percent-encodes every byte except the unreserved characters A-Z a-z 0-9 - . _ ~
std::string PercentEncode(std::string_view bytes);

}  // namespace corvid::server
