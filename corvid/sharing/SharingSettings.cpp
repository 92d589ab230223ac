#include "corvid/sharing/SharingSettings.h"

#include <charconv>
#include <cstdlib>
#include <system_error>

#include "common/IniFile.h"
#include "corvid/sharing/MediaType.h"

namespace corvid::sharing {

namespace {

using common::IniFile;

const char* const kSection = "Setting";
const char* const kSubtitleSection = "Setting\\Subtitle";

std::optional<std::uint32_t> toNumber(const std::optional<std::string>& text) {
    if (!text || text->empty())
        return std::nullopt;
    std::uint32_t v = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
    if (ec != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return v;
}

// Values are single lines: a line break (or a zero byte) becomes a blank, so that the value
// reads back as one line instead of being refused.
bool setValue(IniFile& ini, const std::string& section, const char* name, std::string value) {
    for (char& c : value) {
        if (c == '\n' || c == '\r' || c == '\0')
            c = ' ';
    }
    return ini.set(section, name, value);
}

// Writes a settings file, creating its folder on first use.
bool saveIni(const IniFile& ini, const std::filesystem::path& file) {
    std::error_code ec;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ec);
    return ini.save(file);
}

// Reads a number, storing the default when it is missing or unreadable.
std::uint32_t readNumber(IniFile& ini, const char* name, bool& changed) {
    if (auto v = toNumber(ini.get(kSection, name)))
        return *v;
    ini.set(kSection, name, "0");
    changed = true;
    return 0;
}

std::string readText(IniFile& ini, const char* name, bool& changed) {
    if (auto v = ini.get(kSection, name))
        return *v;
    ini.set(kSection, name, "");
    changed = true;
    return {};
}

}  // namespace

SharingSettings::SharingSettings(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path SharingSettings::defaultFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        return std::filesystem::path(xdg) / "corvid";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::filesystem::path(home) / ".config" / "corvid";
    return std::filesystem::path(".config") / "corvid";
}

bool SharingSettings::LoadSettings() {
    IniFile ini;
    ini.load(settingsFile());
    bool changed = false;
    login = readNumber(ini, "Login", changed);
    autoStart = readNumber(ini, "AutoStart", changed);
    useVlc = readNumber(ini, "usevlc", changed);
    videoBitrate = readNumber(ini, "videobitrate", changed);
    audioBitrate = readNumber(ini, "audiobitrate", changed);
    serverType = readNumber(ini, "ServerType", changed);
    user = readText(ini, "User", changed);
    key = readText(ini, "Key", changed);
    pass = readText(ini, "Pass", changed);
    receiverAddress = readText(ini, "ip", changed);
    vlcPath = readText(ini, "vlcpath", changed);
    // The password is unscrambled by the corvidlet link when it needs it; until then it stays
    // empty in memory.
    password.clear();
    return changed ? saveIni(ini, settingsFile()) : true;
}

bool SharingSettings::SaveSettings() {
    IniFile ini;
    ini.load(settingsFile());
    bool ok = setValue(ini, kSection, "ServerType", std::to_string(serverType));
    ok = setValue(ini, kSection, "Login", std::to_string(login)) && ok;
    ok = setValue(ini, kSection, "AutoStart", std::to_string(autoStart)) && ok;
    ok = setValue(ini, kSection, "usevlc", std::to_string(useVlc)) && ok;
    ok = setValue(ini, kSection, "videobitrate", std::to_string(videoBitrate)) && ok;
    ok = setValue(ini, kSection, "audiobitrate", std::to_string(audioBitrate)) && ok;
    ok = setValue(ini, kSection, "User", user) && ok;
    ok = setValue(ini, kSection, "Pass", pass) && ok;
    ok = setValue(ini, kSection, "Key", key) && ok;
    ok = setValue(ini, kSection, "ip", receiverAddress) && ok;
    ok = setValue(ini, kSection, "vlcpath", vlcPath) && ok;
    return saveIni(ini, settingsFile()) && ok;
}

bool SharingSettings::LoadShares() {
    for (auto& s : shares_)
        s.reset();
    IniFile ini;
    if (ini.load(sharesFile()) != IniFile::LoadResult::Loaded)
        return true;  // no list stored yet
    std::size_t slot = 0;
    for (const std::string& name : ini.sections()) {
        if (slot >= kMaxShares)
            break;
        const std::string type = ini.get(name, "Type").value_or("");
        const std::string path = ini.get(name, "Path").value_or("");
        if (!isShareTypeName(type) || path.empty() || name.empty() ||
            name.size() > ShareRecord::kMaxNameLength)
            continue;
        auto rec = std::make_unique<ShareRecord>();
        rec->name = name;
        rec->mediaTypeName = type;
        rec->path = path;
        rec->readOnly = toNumber(ini.get(name, "ReadOnly")).value_or(0) != 0 ? 1 : 0;
        shares_[slot++] = std::move(rec);
    }
    return true;
}

bool SharingSettings::saveShares() const {
    IniFile ini;
    for (const auto& s : shares_) {
        if (!s)
            continue;
        // A name the file cannot hold as a section refuses the whole list rather than losing
        // the share on the next start.
        if (!ini.set(s->name, "Type", s->mediaTypeName) || !ini.set(s->name, "Path", s->path) ||
            !ini.set(s->name, "ReadOnly", s->readOnly ? "1" : "0"))
            return false;
    }
    return saveIni(ini, sharesFile());
}

ShareCheck SharingSettings::AddShare(const ShareRecord& record) {
    std::error_code ec;
    if (record.path.empty() || !std::filesystem::is_directory(record.path, ec))
        return ShareCheck::InvalidPath;
    if (record.name.empty())
        return ShareCheck::NoName;
    if (record.name.size() > ShareRecord::kMaxNameLength)
        return ShareCheck::NameTooLong;
    if (!isShareTypeName(record.mediaTypeName))
        return ShareCheck::BadType;
    const auto type = mediaTypeFromName(record.mediaTypeName);
    if (type == MediaType::Record && CountSharesOfType("record") > 0)
        return ShareCheck::SecondRecord;
    std::size_t freeSlot = kMaxShares;
    for (std::size_t i = 0; i < kMaxShares; ++i) {
        // Share names, like the sections that store them, compare without regard to case.
        if (shares_[i] && IniFile::namesEqual(shares_[i]->name, record.name))
            return ShareCheck::NameTaken;
        if (!shares_[i] && freeSlot == kMaxShares)
            freeSlot = i;
    }
    if (freeSlot == kMaxShares)
        return ShareCheck::TableFull;
    shares_[freeSlot] = std::make_unique<ShareRecord>(record);
    if (!saveShares()) {
        shares_[freeSlot].reset();
        return ShareCheck::StoreFailed;
    }
    return ShareCheck::Added;
}

bool SharingSettings::DeleteShare(std::size_t slot) {
    if (slot >= kMaxShares || !shares_[slot])
        return false;
    shares_[slot].reset();
    return saveShares();
}

std::size_t SharingSettings::ShareCount() const {
    std::size_t n = 0;
    for (const auto& s : shares_)
        n += s ? 1 : 0;
    return n;
}

std::size_t SharingSettings::CountSharesOfType(const std::string& mediaTypeName) const {
    auto lower = [](std::string t) {
        for (char& c : t)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return t;
    };
    const std::string wanted = lower(mediaTypeName);
    std::size_t n = 0;
    for (const auto& s : shares_)
        n += (s && lower(s->mediaTypeName) == wanted) ? 1 : 0;
    return n;
}

const ShareRecord* SharingSettings::Share(std::size_t slot) const {
    return slot < kMaxShares ? shares_[slot].get() : nullptr;
}

std::uint32_t SharingSettings::subtitleValue(const char* name, std::uint32_t first) const {
    IniFile ini;
    ini.load(settingsFile());
    return toNumber(ini.get(kSubtitleSection, name)).value_or(first);
}

bool SharingSettings::setSubtitleValue(const char* name, const std::string& value) {
    IniFile ini;
    ini.load(settingsFile());
    return setValue(ini, kSubtitleSection, name, value) && saveIni(ini, settingsFile());
}

std::uint32_t SharingSettings::SubtitleAlign() const {
    return subtitleValue("Align", 0);
}
std::uint32_t SharingSettings::SubtitleRealSize() const {
    return subtitleValue("RealSize", 18);
}
std::uint32_t SharingSettings::SubtitleEffect() const {
    return subtitleValue("Effect", 2);
}
std::uint32_t SharingSettings::SubtitleColor() const {
    return subtitleValue("Color", 16777215);
}
std::string SharingSettings::SubtitleFont() const {
    IniFile ini;
    ini.load(settingsFile());
    return ini.get(kSubtitleSection, "Font").value_or("");
}
bool SharingSettings::SetSubtitleAlign(std::uint32_t v) {
    return setSubtitleValue("Align", std::to_string(v));
}
bool SharingSettings::SetSubtitleRealSize(std::uint32_t v) {
    return setSubtitleValue("RealSize", std::to_string(v));
}
bool SharingSettings::SetSubtitleEffect(std::uint32_t v) {
    return setSubtitleValue("Effect", std::to_string(v));
}
bool SharingSettings::SetSubtitleColor(std::uint32_t v) {
    return setSubtitleValue("Color", std::to_string(v));
}
bool SharingSettings::SetSubtitleFont(const std::string& v) {
    return setSubtitleValue("Font", v);
}

}  // namespace corvid::sharing
