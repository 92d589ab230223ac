#pragma once
// A small INI file: "[section]" lines, "key=value" lines, ';' and '#' comment lines. Lookups
// follow the rules of the Windows profile functions the programs were written against: section
// and key names compare without regard to ASCII case, blanks around names and values are dropped,
// one pair of matching quotes around a value is removed, and the first of two equal sections or
// keys wins. Everything the class does not understand (comments, blank lines, stray text) is kept
// as it stands when the file is written back, and saving replaces the file in one step.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

class IniFile {
  public:
    // Files larger than this are not read at all; lines longer than this are kept as they stand
    // but never looked into.
    static constexpr std::uintmax_t kMaxFileSize = 1024 * 1024;
    static constexpr std::size_t kMaxLineLength = 4096;

    enum class LoadResult { Loaded, Missing, Unreadable };

    IniFile() = default;

    // Reads a file. Missing leaves the object empty; Unreadable (no permission, a folder, larger
    // than kMaxFileSize, a read error) also leaves it empty.
    LoadResult load(const std::filesystem::path& file);
    // Takes the content of a file held in memory; never fails.
    void parse(std::string_view text);

    // The value of a key, or nothing when the section or key is not there.
    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    // Adds or replaces a value (the section is added at the end when missing). False, and no
    // change, when a name is empty or holds characters that cannot be written back unambiguously
    // (line breaks, '=' or a leading '[' / ';' / '#' in a key, ']' in a section) or when the
    // value holds a line break or a zero byte.
    bool set(std::string_view section, std::string_view key, std::string_view value);
    // Removes a key; false when it was not there.
    bool remove(std::string_view section, std::string_view key);

    bool hasSection(std::string_view section) const;
    // Names as they are written in the file, in file order, each name once.
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

    // The file content: every kept line with its own line end (added lines end like the first
    // line of the file), the last line always ended.
    std::string text() const;
    // Writes text() to a temporary file beside `file` and renames it over `file`, so a reader sees
    // either the old or the new content. An existing file keeps its permission bits; a symbolic
    // link is followed. The folder must exist. False on any failure (the old file is untouched).
    bool save(const std::filesystem::path& file) const;

    // Case-insensitive comparison of ASCII letters, the rule for section and key names.
    static bool namesEqual(std::string_view a, std::string_view b);

  private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        Kind kind = Kind::Other;
        std::string raw;    // the line as read or as written
        std::string name;   // section name or key
        std::string value;  // entry value, quotes removed
        bool crlf = false;  // ended with a carriage return and a line feed
    };

    // Index of the section line, or lines_.size(). The pseudo-section before the first header
    // is not reachable by name.
    std::size_t findSection(std::string_view section) const;
    // One past the last line of the section starting at index s.
    std::size_t sectionEnd(std::size_t s) const;
    std::size_t findEntry(std::size_t s, std::string_view key) const;
    static Line parseLine(std::string_view raw);
    static std::string formatValue(std::string_view value);

    std::vector<Line> lines_;
    bool bom_ = false;   // the file began with a UTF-8 byte order mark
    bool crlf_ = false;  // new lines end like the file's first line
};

}  // namespace common
