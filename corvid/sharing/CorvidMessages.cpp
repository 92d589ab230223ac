#include "corvid/sharing/CorvidMessages.h"

#include <charconv>

#include "common/IniFile.h"

namespace corvid::sharing {

namespace {

constexpr std::string_view kCodes[] = {"ENG", "GER", "FIN", "DAN", "SWE"};

std::string unescape(std::string_view in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 1 < in.size() && (in[i + 1] == 'n' || in[i + 1] == 't')) {
            out.push_back(in[++i] == 'n' ? '\n' : '\t');
            continue;
        }
        out.push_back(in[i]);
    }
    return out;
}

bool fail(std::string* error, const std::string& why) {
    if (error != nullptr)
        *error = why;
    return false;
}

}  // namespace

CorvidMessages& CorvidMessages::instance() {
    static CorvidMessages catalogue;
    return catalogue;
}

CorvidMessages::CorvidMessages() {
    for (int l = English; l <= Swedish; ++l) {
        std::vector<std::string> table;
        if (!ParseTable(BuiltInTable(static_cast<Language>(l)), table))
            table.assign(kCount, std::string());
        tables_.push_back(std::move(table));
    }
}

void CorvidMessages::SetLanguage(Language language) {
    language_ = language >= English && language <= Swedish ? language : English;
}

void CorvidMessages::LoadLanguage(const std::filesystem::path& configFile) {
    common::IniFile config;
    config.load(configFile);
    SetLanguage(LanguageFromCode(config.get("CONFIG", "LANG").value_or("")));
}

const std::string& CorvidMessages::Get(int id) const {
    static const std::string kNone;
    return id >= 0 && id < kCount ? tables_[language_][static_cast<std::size_t>(id)] : kNone;
}

std::string CorvidMessages::Format(int id, std::string_view value) const {
    std::string text = Get(id);
    for (std::size_t at = text.find('%'); at != std::string::npos && at + 1 < text.size();
         at = text.find('%', at + 1)) {
        if (text[at + 1] == 's' || text[at + 1] == 'd')
            return text.replace(at, 2, value);
    }
    return text;
}

CorvidMessages::Language CorvidMessages::LanguageFromCode(std::string_view value) {
    for (std::size_t i = 0; i < std::size(kCodes); ++i)
        if (value.substr(0, 3) == kCodes[i])
            return static_cast<Language>(i);
    return English;
}

bool CorvidMessages::ParseTable(std::string_view text, std::vector<std::string>& out,
                                std::string* error) {
    out.assign(kCount, std::string());
    std::vector<bool> seen(kCount, false);
    int line = 0;
    while (!text.empty()) {
        ++line;
        const auto end = text.find('\n');
        std::string_view row = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!row.empty() && (row.back() == '\r' || row.back() == ' '))
            row.remove_suffix(1);
        if (row.empty() || row.front() == '#')
            continue;
        int id = -1;
        const auto [p, ec] = std::from_chars(row.data(), row.data() + row.size(), id);
        const std::string_view rest(p, static_cast<std::size_t>(row.data() + row.size() - p));
        if (ec != std::errc() || !rest.starts_with(": \"") || !rest.ends_with('"') ||
            rest.size() < 4)
            return fail(error, "line " + std::to_string(line) + " is not ID: \"TEXT\"");
        if (id < 0 || id >= kCount || seen[static_cast<std::size_t>(id)])
            return fail(error, "line " + std::to_string(line) + ": id out of range or twice");
        seen[static_cast<std::size_t>(id)] = true;
        out[static_cast<std::size_t>(id)] = unescape(rest.substr(3, rest.size() - 4));
    }
    for (int id = 0; id < kCount; ++id)
        if (!seen[static_cast<std::size_t>(id)])
            return fail(error, "id " + std::to_string(id) + " is missing");
    return true;
}

}  // namespace corvid::sharing
