#pragma once
// A small INI file held in memory: sections of "key=value" lines, kept in file order so that a
// file written back keeps its shape. Section and key names are compared exactly.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvid::sharing {

class IniText {
  public:
    // Reads the file; a missing or unreadable file gives an empty document (false).
    bool load(const std::filesystem::path& file);
    void parse(const std::string& text);
    std::string text() const;
    // Writes through a temporary file and a rename, creating the folder when missing.
    bool save(const std::filesystem::path& file) const;

    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);
    std::vector<std::string> sections() const;
    void removeSection(const std::string& section);

  private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };
    std::vector<Section> sections_;
};

}  // namespace corvid::sharing
