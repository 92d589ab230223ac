#include "velkport/shell/base/SettingsStore.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "common/IniFile.h"

namespace velkport::shell {

namespace {

constexpr const char* kSection = "Setting";
constexpr const char* kLastAddress = "LastFtpIP";
constexpr const char* kLocalPath = "LocalPath";
// Every value used to live in a 500-byte buffer with its terminating zero.
constexpr std::size_t kMaxValueBytes = 499;
constexpr std::size_t kMaxUserDirsBytes = 64 * 1024;

std::filesystem::path homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
        return pw->pw_dir;
    return {};
}

std::filesystem::path configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg && xdg[0] == '/')  // relative values are to be ignored
        return xdg;
    std::filesystem::path home = homeFolder();
    return home.empty() ? std::filesystem::path() : home / ".config";
}

// The documents folder as the desktop's user-dirs.dirs names it: a line
// XDG_DOCUMENTS_DIR="$HOME/Documents" or XDG_DOCUMENTS_DIR="/absolute/path".
std::optional<std::filesystem::path> documentsFromUserDirs(const std::filesystem::path& home) {
    std::filesystem::path config = configHome();
    if (config.empty())
        return std::nullopt;
    std::ifstream in(config / "user-dirs.dirs", std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string line;
    std::size_t total = 0;
    std::optional<std::filesystem::path> found;
    while (std::getline(in, line)) {
        total += line.size() + 1;
        if (total > kMaxUserDirsBytes)
            return std::nullopt;
        std::string_view l(line);
        while (!l.empty() && (l.front() == ' ' || l.front() == '\t'))
            l.remove_prefix(1);
        constexpr std::string_view key = "XDG_DOCUMENTS_DIR=\"";
        if (l.substr(0, key.size()) != key)
            continue;
        l.remove_prefix(key.size());
        std::string value;
        bool closed = false;
        for (std::size_t i = 0; i < l.size(); ++i) {
            if (l[i] == '\\' && i + 1 < l.size()) {
                value += l[++i];
            } else if (l[i] == '"') {
                closed = true;
                break;
            } else {
                value += l[i];
            }
        }
        if (!closed)
            continue;
        constexpr std::string_view homeVar = "$HOME";
        if (value.substr(0, homeVar.size()) == homeVar &&
            (value.size() == homeVar.size() || value[homeVar.size()] == '/')) {
            if (home.empty())
                continue;
            found = home.string() + value.substr(homeVar.size());
        } else if (!value.empty() && value.front() == '/') {
            found = value;
        }
        // The last assignment counts, as when the shell reads the file.
    }
    return found;
}

bool fitsValue(const std::string& text) {
    return text.size() <= kMaxValueBytes && text.find('\0') == std::string::npos;
}

}  // namespace

std::filesystem::path SettingsStore::DefaultFile() {
    std::filesystem::path config = configHome();
    if (config.empty())
        return {};
    return config / "Quintavo" / "Velkport.ini";
}

SettingsStore::SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

namespace {

// Reads the settings file, creating it with an empty [Setting] section when it does not exist
// (the first run). False when the file exists but cannot be read: then nothing may be written
// over it either.
bool openSettings(const std::filesystem::path& file, common::IniFile& ini) {
    if (file.empty())
        return false;
    switch (ini.load(file)) {
        case common::IniFile::LoadResult::Loaded:
            return true;
        case common::IniFile::LoadResult::Unreadable:
            return false;
        case common::IniFile::LoadResult::Missing:
            break;
    }
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    ini.parse("[Setting]\n");
    ini.save(file);  // a failure leaves the values missing, which is all a load can report
    return true;
}

std::optional<std::string> loadValue(const common::IniFile& ini, const char* key) {
    auto value = ini.get(kSection, key);
    if (!value || value->size() > kMaxValueBytes)
        return std::nullopt;  // longer than the stored form allows: not supported
    return value;
}

bool saveValue(const std::filesystem::path& file, const char* key, const std::string& text) {
    if (!fitsValue(text))
        return false;
    common::IniFile ini;
    if (!openSettings(file, ini))
        return false;
    return ini.set(kSection, key, text) && ini.save(file);
}

}  // namespace

std::optional<std::string> SettingsStore::LoadLastAddress() const {
    common::IniFile ini;
    if (!openSettings(file_, ini))
        return std::nullopt;
    return loadValue(ini, kLastAddress);
}

bool SettingsStore::SaveLastAddress(const std::string& address) {
    return saveValue(file_, kLastAddress, address);
}

std::optional<std::string> SettingsStore::LoadLocalPath() {
    common::IniFile ini;
    if (!openSettings(file_, ini))
        return std::nullopt;
    if (!ini.get(kSection, kLocalPath)) {
        if (ini.set(kSection, kLocalPath, ""))
            ini.save(file_);
        return std::nullopt;
    }
    auto value = loadValue(ini, kLocalPath);
    if (!value || value->empty())
        return std::nullopt;
    return value;
}

bool SettingsStore::SaveLocalPath(const std::string& path) {
    return saveValue(file_, kLocalPath, path);
}

std::optional<std::string> SettingsStore::DefaultLocalPath() {
    std::optional<std::filesystem::path> documents = documentsFromUserDirs(homeFolder());
    if (!documents)
        return std::nullopt;  // no documents folder named: nothing is created or saved
    std::filesystem::path record = *documents / "Record";
    std::error_code ec;
    std::filesystem::create_directories(record, ec);
    if (!std::filesystem::is_directory(record, ec))
        return std::nullopt;
    std::string text = record.string();
    SaveLocalPath(text);
    return text;
}

}  // namespace velkport::shell
