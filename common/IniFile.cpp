#include "common/IniFile.h"

#include "common/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace common {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

bool IniFile::namesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

IniFile::Line IniFile::parseLine(std::string_view raw) {
    Line line;
    line.raw = std::string(raw);
    if (raw.size() > kMaxLineLength)
        return line;
    std::string_view t = trim(raw);
    if (t.empty() || t.front() == ';' || t.front() == '#')
        return line;
    if (t.front() == '[') {
        std::size_t close = t.rfind(']');
        if (close == std::string_view::npos || close == 0)
            return line;
        line.kind = Kind::Section;
        line.name = std::string(trim(t.substr(1, close - 1)));
        return line;
    }
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return line;
    std::string_view key = trim(t.substr(0, eq));
    if (key.empty())
        return line;
    std::string_view value = trim(t.substr(eq + 1));
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    line.kind = Kind::Entry;
    line.name = std::string(key);
    line.value = std::string(value);
    return line;
}

void IniFile::parse(std::string_view text) {
    lines_.clear();
    bom_ = text.substr(0, kBom.size()) == kBom;
    if (bom_)
        text.remove_prefix(kBom.size());
    crlf_ = false;
    bool inSection = false;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        bool crlf = end != std::string_view::npos && !raw.empty() && raw.back() == '\r';
        if (crlf)
            raw.remove_suffix(1);
        Line line = parseLine(raw);
        line.crlf = crlf;
        if (lines_.empty())
            crlf_ = crlf;
        if (line.kind == Kind::Section)
            inSection = true;
        else if (line.kind == Kind::Entry && !inSection)
            line.kind = Kind::Other;  // keys before the first section belong to nothing
        lines_.push_back(std::move(line));
    }
}

IniFile::LoadResult IniFile::load(const std::filesystem::path& file) {
    lines_.clear();
    bom_ = false;
    crlf_ = false;
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? LoadResult::Missing : LoadResult::Unreadable;
    FileDescriptor guard(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uintmax_t>(st.st_size) > kMaxFileSize)
        return LoadResult::Unreadable;
    std::string content;
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return LoadResult::Unreadable;
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
        if (content.size() > kMaxFileSize)  // grew while we read it
            return LoadResult::Unreadable;
    }
    parse(content);
    return LoadResult::Loaded;
}

std::size_t IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && namesEqual(lines_[i].name, section))
            return i;
    return lines_.size();
}

std::size_t IniFile::sectionEnd(std::size_t s) const {
    std::size_t i = s + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section)
        ++i;
    return i;
}

std::size_t IniFile::findEntry(std::size_t s, std::string_view key) const {
    std::size_t end = sectionEnd(s);
    for (std::size_t i = s + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Entry && namesEqual(lines_[i].name, key))
            return i;
    return lines_.size();
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
    std::size_t s = findSection(trim(section));
    if (s == lines_.size())
        return std::nullopt;
    std::size_t e = findEntry(s, trim(key));
    if (e == lines_.size())
        return std::nullopt;
    return lines_[e].value;
}

std::string IniFile::formatValue(std::string_view value) {
    // A value that would lose its outer blanks or quotes when read back is quoted; reading
    // removes exactly one pair again.
    bool quote = !value.empty() &&
                 (isBlank(value.front()) || isBlank(value.back()) ||
                  (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
    if (!quote)
        return std::string(value);
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    out += value;
    out += '"';
    return out;
}

bool IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    section = trim(section);
    key = trim(key);
    auto hasAny = [](std::string_view s, std::string_view chars) {
        return s.find_first_of(chars) != std::string_view::npos;
    };
    using namespace std::string_view_literals;
    const std::string_view breaks = "\r\n\0"sv;
    if (section.empty() || hasAny(section, breaks) || hasAny(section, "]"))
        return false;
    if (key.empty() || hasAny(key, breaks) || hasAny(key, "=") || key.front() == '[' ||
        key.front() == ';' || key.front() == '#')
        return false;
    if (hasAny(value, breaks))
        return false;
    std::string entryText = std::string(key) + "=" + formatValue(value);
    if (entryText.size() > kMaxLineLength)
        return false;  // it could not be read back

    std::size_t s = findSection(section);
    if (s == lines_.size()) {
        if (!lines_.empty() && !trim(lines_.back().raw).empty()) {
            Line blank;
            blank.crlf = crlf_;
            lines_.push_back(std::move(blank));
        }
        Line header;
        header.crlf = crlf_;
        header.kind = Kind::Section;
        header.name = std::string(section);
        header.raw = "[" + header.name + "]";
        lines_.push_back(std::move(header));
        s = lines_.size() - 1;
    }
    std::size_t e = findEntry(s, key);
    if (e != lines_.size()) {
        // Keep the spelling of the key already in the file.
        Line& line = lines_[e];
        line.value = std::string(value);
        line.raw = line.name + "=" + formatValue(value);
        return true;
    }
    Line entry;
    entry.kind = Kind::Entry;
    entry.name = std::string(key);
    entry.value = std::string(value);
    entry.raw = std::move(entryText);
    entry.crlf = crlf_;
    // After the last entry of the section, so that blank lines and comments that lead into the
    // next section stay in front of it.
    std::size_t at = s + 1;
    std::size_t end = sectionEnd(s);
    for (std::size_t i = s + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Entry)
            at = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    return true;
}

bool IniFile::remove(std::string_view section, std::string_view key) {
    std::size_t s = findSection(trim(section));
    if (s == lines_.size())
        return false;
    std::size_t e = findEntry(s, trim(key));
    if (e == lines_.size())
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(e));
    return true;
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(trim(section)) != lines_.size();
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> out;
    for (const auto& line : lines_) {
        if (line.kind != Kind::Section)
            continue;
        bool seen = false;
        for (const auto& name : out)
            seen = seen || namesEqual(name, line.name);
        if (!seen)
            out.push_back(line.name);
    }
    return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    std::vector<std::string> out;
    std::size_t s = findSection(trim(section));
    if (s == lines_.size())
        return out;
    std::size_t end = sectionEnd(s);
    for (std::size_t i = s + 1; i < end; ++i) {
        if (lines_[i].kind != Kind::Entry)
            continue;
        bool seen = false;
        for (const auto& name : out)
            seen = seen || namesEqual(name, lines_[i].name);
        if (!seen)
            out.push_back(lines_[i].name);
    }
    return out;
}

std::string IniFile::text() const {
    std::string out;
    if (bom_)
        out += kBom;
    for (const auto& line : lines_) {
        out += line.raw;
        out += line.crlf ? "\r\n" : "\n";
    }
    return out;
}

bool IniFile::save(const std::filesystem::path& file) const {
    std::error_code ec;
    std::filesystem::path target = file;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec))) {
        target = std::filesystem::canonical(file, ec);
        if (ec)
            return false;
    }
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return false;
        mode = st.st_mode & 07777;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string tmpl = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkstemp(tmpl.data()));
    if (!fd.valid())
        return false;
    bool ok = ::fchmod(fd.fd(), mode) == 0 && writeAll(fd.fd(), text()) && ::fsync(fd.fd()) == 0;
    ok = fd.close() && ok;
    if (ok)
        ok = ::rename(tmpl.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(tmpl.c_str());
    return ok;
}

}  // namespace common
