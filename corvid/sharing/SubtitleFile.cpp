#include "corvid/sharing/SubtitleFile.h"

#include <array>
#include <fstream>
#include <iterator>

#include "corvid/sharing/AtomicFile.h"

namespace corvid::sharing {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::uintmax_t kMaxSubtitleSize = 16 * 1024 * 1024;

// Code points of 0x80..0x9F in Windows-1252; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool readFile(const std::filesystem::path& file, std::string& bytes) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxSubtitleSize)
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

}  // namespace

std::optional<std::filesystem::path> SubtitleFile::Find(const std::filesystem::path& media) {
    std::filesystem::path base = media;
    if (media.has_extension())
        base.replace_extension();
    for (const char* ext : {".smi", ".smil"}) {
        std::filesystem::path candidate = base;
        candidate += ext;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate;
    }
    return std::nullopt;
}

std::optional<SubtitleFile::Prepared> SubtitleFile::Prepare(const std::filesystem::path& subtitle,
                                                            std::string* error) {
    std::string bytes;
    if (!readFile(subtitle, bytes)) {
        if (error != nullptr)
            *error = "the subtitle " + subtitle.string() + " cannot be read";
        return std::nullopt;
    }
    if (bytes.starts_with(kByteOrderMark))
        return Prepared{subtitle, false};
    std::filesystem::path converted = subtitle;
    converted += ".tmp";
    if (!AtomicFile::Write(converted, std::string(kByteOrderMark) + Cp1252ToUtf8(bytes))) {
        if (error != nullptr)
            *error = "the subtitle's copy " + converted.string() + " cannot be written";
        return std::nullopt;
    }
    return Prepared{converted, true};
}

std::string SubtitleFile::Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0)
            c = kHighControls[b - 0x80] != 0 ? kHighControls[b - 0x80] : 0xFFFD;
        appendUtf8(out, c);
    }
    return out;
}

}  // namespace corvid::sharing
