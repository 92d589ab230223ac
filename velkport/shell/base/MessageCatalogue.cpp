#include "velkport/shell/base/MessageCatalogue.h"

#include <array>
#include <charconv>

namespace velkport::shell {

namespace {

struct LanguageEntry {
    int number;
    const char* code;
};

constexpr std::array<LanguageEntry, 5> kLanguages{{
    {kEnglish, "ENG"},
    {kGerman, "GER"},
    {kFinnish, "FIN"},
    {kDanish, "DAN"},
    {kSwedish, "SWE"},
}};

int slotOf(int number) {
    for (std::size_t i = 0; i < kLanguages.size(); ++i)
        if (kLanguages[i].number == number)
            return static_cast<int>(i);
    return -1;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool unescape(std::string_view in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c != '\\' || i + 1 == in.size()) {
            out.push_back(c);
            continue;
        }
        char n = in[i + 1];
        if (n == 'n') {
            out.push_back('\n');
        } else if (n == 'r') {
            out.push_back('\r');
        } else if (n == 't') {
            out.push_back('\t');
        } else {
            out.push_back(c);
            continue;
        }
        ++i;
    }
    return true;
}

}  // namespace

std::string CutToCharacters(std::string_view text, std::size_t n) {
    std::size_t chars = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (chars == n)
            break;
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t len = lead < 0x80         ? 1
                          : (lead >> 5) == 6  ? 2
                          : (lead >> 4) == 14 ? 3
                          : (lead >> 3) == 30 ? 4
                                              : 1;
        if (i + len > text.size())
            len = text.size() - i;
        i += len;
        ++chars;
    }
    return std::string(text.substr(0, i));
}

bool MessageCatalogue::ParseTable(std::string_view text, std::vector<std::string>& out,
                                  std::string* error) {
    out.assign(kMessageCount, std::string());
    std::vector<bool> seen(kMessageCount, false);
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        if (error)
            *error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (!text.empty()) {
        ++lineNo;
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = trimRight(line);
        if (line.empty() || line.front() == '#')
            continue;
        int id = -1;
        auto [p, ec] = std::from_chars(line.data(), line.data() + line.size(), id);
        if (ec != std::errc() || p == line.data())
            return fail("no message id");
        std::string_view rest(p, static_cast<std::size_t>(line.data() + line.size() - p));
        if (rest.size() < 4 || rest.substr(0, 3) != ": \"" || rest.back() != '"')
            return fail("expected ID: \"TEXT\"");
        if (id < 0 || id >= kMessageCount)
            return fail("id out of range");
        if (seen[static_cast<std::size_t>(id)])
            return fail("id given twice");
        seen[static_cast<std::size_t>(id)] = true;
        unescape(rest.substr(3, rest.size() - 4), out[static_cast<std::size_t>(id)]);
    }
    for (int id = 0; id < kMessageCount; ++id)
        if (!seen[static_cast<std::size_t>(id)]) {
            if (error)
                *error = "id " + std::to_string(id) + " missing";
            return false;
        }
    return true;
}

MessageCatalogue::MessageCatalogue() {
    tables_.resize(kLanguages.size());
    std::vector<std::string> english;
    ParseTable(BuiltInTable(kEnglish), english);
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        std::vector<std::string> parsed;
        if (i == 0 || !ParseTable(BuiltInTable(kLanguages[i].number), parsed))
            parsed = english;  // a table that is not there yet speaks English
        tables_[i] = std::move(parsed);
    }
    current_ = &tables_[0];
}

MessageCatalogue& MessageCatalogue::instance() {
    static MessageCatalogue catalogue;
    return catalogue;
}

const std::vector<std::string>& MessageCatalogue::table(int number) const {
    int slot = slotOf(number);
    return tables_[static_cast<std::size_t>(slot < 0 ? 0 : slot)];
}

void MessageCatalogue::SetLanguage(int number) {
    if (slotOf(number) < 0)
        number = kEnglish;
    language_ = number;
    current_ = &table(number);
}

const std::string& MessageCatalogue::GetMessage(int id) const {
    static const std::string empty;
    if (id < 0 || id >= kMessageCount)
        return empty;
    return (*current_)[static_cast<std::size_t>(id)];
}

std::string MessageCatalogue::ComposeMessage(std::string_view prefix, int id,
                                             std::string_view suffix) const {
    std::string s(prefix);
    s += GetMessage(id);
    s += suffix;
    return CutToCharacters(s, kComposeLimit);
}

std::string MessageCatalogue::ComposeMessageSuffix(int id, std::string_view suffix) const {
    return ComposeMessage({}, id, suffix);
}

std::string MessageCatalogue::ComposeTwoMessages(int id1, int id2) const {
    return CutToCharacters(GetMessage(id1) + "\n" + GetMessage(id2), kComposeLimit);
}

int MessageCatalogue::LanguageFromCode(std::string_view value) {
    std::string_view head = value.substr(0, 3);
    for (const auto& l : kLanguages)
        if (head == l.code)
            return l.number;
    return kEnglish;
}

}  // namespace velkport::shell
