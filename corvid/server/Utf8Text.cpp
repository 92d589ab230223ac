#include "corvid/server/Utf8Text.h"

#include <cstdint>

namespace corvid::server {

namespace {

void appendCodePoint(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool xmlAllowed(std::uint32_t cp) {
    if (cp < 0x20)
        return cp == 0x09 || cp == 0x0A || cp == 0x0D;
    if (cp == 0x7F)
        return false;
    if (cp >= 0xD800 && cp <= 0xDFFF)
        return false;
    return cp != 0xFFFE && cp != 0xFFFF && cp <= 0x10FFFF;
}

// Decodes one well-formed UTF-8 sequence at s[i]; returns its length, 0 when not well formed.
std::size_t decode(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    std::uint32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;  // overlong forms and surrogates are not UTF-8
    return len;
}

}  // namespace

std::string Utf8Text(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::uint32_t cp = 0;
        std::size_t len = decode(bytes, i, cp);
        if (len == 0) {
            cp = static_cast<unsigned char>(bytes[i]);  // a stray byte read as Latin-1
            len = 1;
        }
        // Titles are one line: tab and line breaks are replaced as well.
        appendCodePoint(out, cp >= 0x20 && xmlAllowed(cp) ? cp : 0xFFFD);
        i += len;
    }
    return out;
}

std::string PercentEncode(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

}  // namespace corvid::server
