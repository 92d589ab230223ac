#pragma once
// The subtitle that goes with a media file: "NAME.smi" (or "NAME.smil") beside "NAME.EXT".
// VLC is told the text is UTF-8, so a subtitle without the UTF-8 byte-order mark is taken to be
// in the Windows-1252 code page the receiver's users write them in and is converted into
// "SUBTITLE.tmp", which lives until the stream stops.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace corvid::sharing {

class SubtitleFile {
  public:
    // The subtitle beside the media file, or nothing.
    static std::optional<std::filesystem::path> Find(const std::filesystem::path& media);

    // What the playlist names: the subtitle itself when it begins with the byte-order mark,
    // else its converted ".tmp" copy (temporary = true). Nothing when the file cannot be read
    // or the copy cannot be written.
    struct Prepared {
        std::filesystem::path path;
        bool temporary = false;
    };
    static std::optional<Prepared> Prepare(const std::filesystem::path& subtitle,
                                           std::string* error = nullptr);

    // Windows-1252 text as UTF-8 (the five unassigned bytes become U+FFFD).
    static std::string Cp1252ToUtf8(std::string_view text);
};

}  // namespace corvid::sharing
