// The four translated tables against the English one: each must fit wherever the English text
// is used (same printf arguments, same line structure) and must really be a translation.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "velkport/shell/base/MessageCatalogue.h"

using velkport::shell::MessageCatalogue;

namespace {

const std::vector<int> kTranslated = {velkport::shell::kGerman, velkport::shell::kFinnish,
                                      velkport::shell::kDanish, velkport::shell::kSwedish};

std::vector<std::string> tableOf(int number) {
    std::vector<std::string> table;
    std::string error;
    EXPECT_TRUE(MessageCatalogue::ParseTable(MessageCatalogue::BuiltInTable(number), table, &error))
        << "language " << number << ": " << error;
    return table;
}

// The printf conversions in order, with flags, width and precision ("%5.2f" stays "%5.2f").
std::vector<std::string> conversions(const std::string& s) {
    static const std::regex conversion("%[-+ #0]*[0-9]*(\\.[0-9]+)?[a-zA-Z%]");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), conversion);
         it != std::sregex_iterator(); ++it)
        out.push_back(it->str());
    return out;
}

// Where the text may be laid out: its leading and trailing white space and the line breaks and
// tabs inside, e.g. "\r\n\r\n |\r\n\r\n|" for "\r\n\r\n '%s' is running".
std::string shape(const std::string& s) {
    const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    std::size_t begin = 0, end = s.size();
    while (begin < end && blank(s[begin]))
        ++begin;
    while (end > begin && blank(s[end - 1]))
        --end;
    std::string out = s.substr(0, begin) + "|";
    for (char c : s)
        if (c == '\n' || c == '\r' || c == '\t')
            out += c;
    return out + "|" + s.substr(end);
}

bool validUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += len;
    }
    return true;
}

}  // namespace

TEST(LanguageTables, EveryTranslationFitsWhereTheEnglishTextIsUsedAndIsARealOne) {
    // Names and column abbreviations stay as they are.
    const std::set<int> kept = {0, 6, 7, 50, 252, 253, 254, 255, 256, 257, 258, 269, 288, 289};
    auto english = tableOf(velkport::shell::kEnglish);
    for (int lang : kTranslated) {
        auto table = tableOf(lang);
        ASSERT_EQ(table.size(), english.size());
        int differing = 0;
        for (int id = 0; id < MessageCatalogue::kMessageCount; ++id) {
            const auto& e = english[static_cast<std::size_t>(id)];
            const auto& t = table[static_cast<std::size_t>(id)];
            SCOPED_TRACE("language " + std::to_string(lang) + " id " + std::to_string(id));
            EXPECT_EQ(conversions(t), conversions(e));
            EXPECT_EQ(shape(t), shape(e));
            EXPECT_TRUE(validUtf8(t));
            EXPECT_FALSE(t.empty());
            // A doubled ampersand stands for one '&' in menus; it must stay doubled.
            EXPECT_EQ(e.find("&&") != std::string::npos, t.find("&&") != std::string::npos);
            if (kept.count(id)) {
                EXPECT_EQ(t, e);
            }
            differing += t != e;
        }
        EXPECT_GT(differing, 250) << "language " << lang;
    }
}

TEST(LanguageTables, EveryLanguageHasItsOwnEllipsisAndQuestions) {
    auto& c = MessageCatalogue::instance();
    for (int lang : kTranslated) {
        c.SetLanguage(lang);
        // The ellipsis of the buffering text is the one Unicode character.
        EXPECT_NE(c.GetMessage(231).find("\xE2\x80\xA6"), std::string::npos) << lang;
        EXPECT_EQ(c.GetMessage(231).find("..."), std::string::npos) << lang;
        // Every language has its own words for the questions, not the English ones.
        EXPECT_NE(c.GetMessage(236), "DVR is not connected. Do you want open Offline?");
    }
    c.SetLanguage(velkport::shell::kEnglish);
}

TEST(LanguageTables, ComposingInAnotherLanguageKeepsWholeCharacters) {
    auto& c = MessageCatalogue::instance();
    c.SetLanguage(velkport::shell::kGerman);
    // A German text cut at 127 characters still is valid UTF-8 of exactly 127 characters.
    std::string composed = c.ComposeMessage(std::string(120, 'x'), 11, std::string(50, 'y'));
    EXPECT_TRUE(validUtf8(composed));
    std::size_t chars = 0;
    for (char ch : composed)
        chars += (static_cast<unsigned char>(ch) >> 6) != 2;
    EXPECT_EQ(chars, 127u);
    EXPECT_EQ(composed.substr(120, 3), "L\xC3\xB6");  // "Lö" of "Löschen", not half a letter
    c.SetLanguage(velkport::shell::kEnglish);
}
