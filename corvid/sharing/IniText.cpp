#include "corvid/sharing/IniText.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace corvid::sharing {

namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

}  // namespace

bool IniText::load(const std::filesystem::path& file) {
    sections_.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buf;
    buf << in.rdbuf();
    parse(buf.str());
    return true;
}

void IniText::parse(const std::string& text) {
    sections_.clear();
    std::istringstream in(text);
    std::string line;
    Section* current = nullptr;
    while (std::getline(in, line)) {
        const std::string t = trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            sections_.push_back({t.substr(1, t.size() - 2), {}});
            current = &sections_.back();
            continue;
        }
        const auto eq = t.find('=');
        if (eq == std::string::npos || current == nullptr)
            continue;
        current->values.emplace_back(trim(t.substr(0, eq)), trim(t.substr(eq + 1)));
    }
}

std::string IniText::text() const {
    std::string out;
    for (const Section& s : sections_) {
        out += "[" + s.name + "]\n";
        for (const auto& [k, v] : s.values)
            out += k + "=" + v + "\n";
        out += "\n";
    }
    return out;
}

bool IniText::save(const std::filesystem::path& file) const {
    std::error_code ec;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ec);
    std::filesystem::path tmp = file;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << text();
        if (!out.flush())
            return false;
    }
    std::filesystem::rename(tmp, file, ec);
    return !ec;
}

std::optional<std::string> IniText::get(const std::string& section, const std::string& key) const {
    for (const Section& s : sections_) {
        if (s.name != section)
            continue;
        for (const auto& [k, v] : s.values) {
            if (k == key)
                return v;
        }
    }
    return std::nullopt;
}

void IniText::set(const std::string& section, const std::string& key, const std::string& value) {
    // Values are single lines: line breaks would split them on the next load.
    std::string clean = value;
    for (char& c : clean) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    for (Section& s : sections_) {
        if (s.name != section)
            continue;
        for (auto& [k, v] : s.values) {
            if (k == key) {
                v = clean;
                return;
            }
        }
        s.values.emplace_back(key, clean);
        return;
    }
    sections_.push_back({section, {{key, clean}}});
}

std::vector<std::string> IniText::sections() const {
    std::vector<std::string> out;
    for (const Section& s : sections_)
        out.push_back(s.name);
    return out;
}

void IniText::removeSection(const std::string& section) {
    std::erase_if(sections_, [&](const Section& s) { return s.name == section; });
}

}  // namespace corvid::sharing
