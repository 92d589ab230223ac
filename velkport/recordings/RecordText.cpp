#include "velkport/recordings/RecordText.h"

#include <cstdio>
#include <ctime>

namespace velkport::recordings {

std::string SanitizeFileName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (kForbiddenFileNameCharacters.find(c) != std::string_view::npos)
            c = '_';
    return out;
}

std::string ReplaceDriveMarks(std::string_view title) {
    std::string out;
    out.reserve(title.size() + 4);
    for (std::size_t i = 0; i < title.size(); ++i) {
        if (title[i] == 'C' && i + 1 < title.size() && title[i + 1] == ':') {
            out += "CC_";
            ++i;
        } else {
            out += title[i];
        }
    }
    return out;
}

std::string TitleForFileName(std::string_view title) {
    return SanitizeFileName(ReplaceDriveMarks(title));
}

std::string FormatDuration(std::uint32_t seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u:%02u:%02u", seconds / 3600, (seconds % 3600) / 60,
                  seconds % 60);
    return buf;
}

std::string FormatStartTime(std::uint32_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return {};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d-%02d:%02d:%02d", tm.tm_mday, tm.tm_mon + 1,
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

namespace {

// Length of the valid UTF-8 sequence starting at p, or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t p) {
    auto b = static_cast<unsigned char>(s[p]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || p + n > s.size())
        return 0;
    if (n == 2 && b < 0xC2)
        return 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(s[p + i]) & 0xC0) != 0x80)
            return 0;
    return n;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows-1252 0x80-0x9F; the five unassigned bytes keep their Latin-1 value.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string ToDisplayText(std::string_view bytes) {
    bool valid = true;
    for (std::size_t p = 0; p < bytes.size();) {
        std::size_t n = Utf8SequenceLength(bytes, p);
        if (n == 0) {
            valid = false;
            break;
        }
        p += n;
    }
    if (valid)
        return std::string(bytes);
    std::string out;
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
    }
    return out;
}

std::string CutToBytes(std::string_view text, std::size_t n) {
    if (text.size() <= n)
        return std::string(text);
    std::size_t end = n;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

std::size_t CountCharacters(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

char ForbiddenFileNameCharacter(std::string_view name) {
    for (char c : name)
        if (kForbiddenFileNameCharacters.find(c) != std::string_view::npos)
            return c;
    return 0;
}

}  // namespace velkport::recordings
