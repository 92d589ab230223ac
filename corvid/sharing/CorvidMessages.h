#pragma once
// Every text Corvid shows, fetched by its number (126 of them). One table per language, all with
// the same ids; the tables are the data files in lang/, built into the program. The language is
// the "LANG" key of section "CONFIG" in lang/config.ini of Corvid's settings folder: its first
// three characters ENG, GER, FIN, DAN or SWE (exactly so); anything else is English.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace corvid::sharing {

class CorvidMessages {
  public:
    static constexpr int kCount = 126;
    enum Language { English = 0, German, Finnish, Danish, Swedish };
    // The receiver model the wizard's texts name for "%s".
    static constexpr const char* kModel = "QXSxxx";

    // The process-wide catalogue (English until told otherwise).
    static CorvidMessages& instance();

    void SetLanguage(Language language);
    Language language() const { return language_; }
    // Reads the language from the configuration file; a missing file or key means English.
    void LoadLanguage(const std::filesystem::path& configFile);

    // The text of an id (UTF-8); empty outside 0..125.
    const std::string& Get(int id) const;
    // The text with its first "%s" or "%d" replaced by value.
    std::string Format(int id, std::string_view value) const;

    static Language LanguageFromCode(std::string_view value);
    // Parses a data file ('ID: "TEXT"' lines, '#' comments) into exactly kCount entries; false
    // with the reason on a malformed line, an id out of range or twice, or a missing id.
    static bool ParseTable(std::string_view text, std::vector<std::string>& out,
                           std::string* error = nullptr);
    static std::string_view BuiltInTable(Language language);

  private:
    CorvidMessages();

    Language language_ = English;
    std::vector<std::vector<std::string>> tables_;
};

// Shorthand for CorvidMessages::instance().Get(id).
inline const std::string& CorvidText(int id) {
    return CorvidMessages::instance().Get(id);
}

}  // namespace corvid::sharing
