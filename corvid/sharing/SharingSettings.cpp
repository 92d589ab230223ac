#include "corvid/sharing/SharingSettings.h"

#include <charconv>
#include <cstdlib>
#include <system_error>

#include "corvid/sharing/IniText.h"
#include "corvid/sharing/MediaType.h"

namespace corvid::sharing {

namespace {

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

// Reads a number, storing the default when it is missing or unreadable.
std::uint32_t readNumber(IniText& ini, const char* name, bool& changed) {
    if (auto v = toNumber(ini.get(kSection, name)))
        return *v;
    ini.set(kSection, name, "0");
    changed = true;
    return 0;
}

std::string readText(IniText& ini, const char* name, bool& changed) {
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
    IniText ini;
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
    return changed ? ini.save(settingsFile()) : true;
}

bool SharingSettings::SaveSettings() {
    IniText ini;
    ini.load(settingsFile());
    ini.set(kSection, "ServerType", std::to_string(serverType));
    ini.set(kSection, "Login", std::to_string(login));
    ini.set(kSection, "AutoStart", std::to_string(autoStart));
    ini.set(kSection, "usevlc", std::to_string(useVlc));
    ini.set(kSection, "videobitrate", std::to_string(videoBitrate));
    ini.set(kSection, "audiobitrate", std::to_string(audioBitrate));
    ini.set(kSection, "User", user);
    ini.set(kSection, "Pass", pass);
    ini.set(kSection, "Key", key);
    ini.set(kSection, "ip", receiverAddress);
    ini.set(kSection, "vlcpath", vlcPath);
    return ini.save(settingsFile());
}

bool SharingSettings::LoadShares() {
    for (auto& s : shares_)
        s.reset();
    IniText ini;
    if (!ini.load(sharesFile()))
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
    IniText ini;
    for (const auto& s : shares_) {
        if (!s)
            continue;
        ini.set(s->name, "Type", s->mediaTypeName);
        ini.set(s->name, "Path", s->path);
        ini.set(s->name, "ReadOnly", s->readOnly ? "1" : "0");
    }
    return ini.save(sharesFile());
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
        if (shares_[i] && shares_[i]->name == record.name)
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
    IniText ini;
    ini.load(settingsFile());
    return toNumber(ini.get(kSubtitleSection, name)).value_or(first);
}

bool SharingSettings::setSubtitleValue(const char* name, const std::string& value) {
    IniText ini;
    ini.load(settingsFile());
    ini.set(kSubtitleSection, name, value);
    return ini.save(settingsFile());
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
    IniText ini;
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
