#pragma once
// Every text Velkport shows comes from here, fetched by its number. One table per language, all
// with the same ids; the tables are the data files in lang/, built into the program.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velkport::shell {

enum LanguageNumber : int {
    kEnglish = 0,
    kGerman = 4,
    kFinnish = 8,
    kDanish = 9,
    kSwedish = 10,
};

class MessageCatalogue {
  public:
    static constexpr int kMessageCount = 290;
    static constexpr std::size_t kComposeLimit = 127;  // characters kept by the composing calls

    // The process-wide catalogue (English until SetLanguage says otherwise).
    static MessageCatalogue& instance();

    // Selects the table of a language number; an unknown number selects English and stores 0.
    void SetLanguage(int number);
    int GetLanguage() const { return language_; }

    // The text of an id in the current language (UTF-8); empty outside 0..289.
    const std::string& GetMessage(int id) const;
    // prefix + text(id) + suffix, cut to 127 characters.
    std::string ComposeMessage(std::string_view prefix, int id, std::string_view suffix) const;
    // text(id) + suffix, cut to 127 characters.
    std::string ComposeMessageSuffix(int id, std::string_view suffix) const;
    // text(id1) + "\n" + text(id2), cut to 127 characters.
    std::string ComposeTwoMessages(int id1, int id2) const;

    // The language number for a configuration value: only its first three letters count, and
    // they are compared case-sensitively ("GERMAN" is German, "ger" is English).
    static int LanguageFromCode(std::string_view value);

    // Parses a language data file ('ID: "TEXT"' lines, '#' comments). Fills exactly
    // kMessageCount entries; false with a reason when a line is malformed, an id is out of
    // range or given twice, or an id is missing.
    static bool ParseTable(std::string_view text, std::vector<std::string>& out,
                           std::string* error = nullptr);

    // The data file text of a language number, as built into the program.
    static std::string_view BuiltInTable(int number);

  private:
    MessageCatalogue();
    const std::vector<std::string>& table(int number) const;

    int language_ = kEnglish;
    const std::vector<std::string>* current_ = nullptr;
    std::vector<std::vector<std::string>> tables_;  // English, German, Finnish, Danish, Swedish
};

// Shorthand for MessageCatalogue::instance().GetMessage(id).
inline const std::string& Msg(int id) {
    return MessageCatalogue::instance().GetMessage(id);
}

// Cuts UTF-8 text to at most n characters without splitting one.
std::string CutToCharacters(std::string_view text, std::size_t n);

}  // namespace velkport::shell
