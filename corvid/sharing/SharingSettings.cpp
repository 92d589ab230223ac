#include "corvid/sharing/SharingSettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <system_error>

#include "common/FileDescriptor.h"
#include "common/IniFile.h"
#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/MediaType.h"
#include "corvid/sharing/PasswordScrambler.h"
#include "corvid/sharing/SambaShares.h"

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

const char* ShareCheckMessage(ShareCheck check) {
    switch (check) {
        case ShareCheck::Added:
            return "Add Success";
        case ShareCheck::InvalidPath:
            return "Invalid Path";
        case ShareCheck::NoName:
            return "Insert share name";
        case ShareCheck::NameTooLong:
            return "Share Name is too long";
        case ShareCheck::SecondRecord:
            return "Can not share more than one in case RECORD";
        case ShareCheck::BadType:
            return "Unknown media type";
        case ShareCheck::TableFull:
            return "No free share slot";
        case ShareCheck::NameTaken:
            return "The share name is already in use on this server";
        case ShareCheck::SystemFailed:
            return "The share could not be created";
    }
    return "";
}

SharingSettings::SharingSettings(std::filesystem::path folder, ShareSystem* system)
    : folder_(std::move(folder)), system_(system) {
    if (system_ == nullptr) {
        ownRunner_ = std::make_unique<CommandRunner>();
        ownSystem_ = std::make_unique<SambaShares>(*ownRunner_, sambaConfigFile());
        system_ = ownSystem_.get();
    }
}

SharingSettings::~SharingSettings() = default;

std::string SharingSettings::sambaConfigFile() {
    const char* conf = std::getenv("CORVID_SMB_CONF");
    return conf != nullptr ? conf : "";
}

// The file holds the password: it is made readable by its owner alone before anything is
// written into it, and its folder is the owner's alone when Corvid makes it.
bool SharingSettings::saveIni(const common::IniFile& ini) const {
    std::error_code ec;
    if (!std::filesystem::exists(folder_, ec)) {
        std::filesystem::create_directories(folder_, ec);
        ::chmod(folder_.c_str(), 0700);
    }
    common::FileDescriptor fd(
        ::open(settingsFile().c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid() || ::fchmod(fd.fd(), 0600) != 0)
        return false;
    fd.close();
    return ini.save(settingsFile());
}

bool SharingSettings::fileIsPrivate() const {
    struct stat st {};
    return ::stat(settingsFile().c_str(), &st) == 0 && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

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
    // Another user's file (or one that others can read) gives no password: it must be typed
    // again. A key or cipher text of the wrong shape gives none either.
    password.clear();
    if (fileIsPrivate() && key.size() == 32 && !pass.empty() && pass.size() % 16 == 0) {
        if (auto plain = PasswordScrambler::Unscramble(key, pass))
            password = *plain;
    }
    return changed ? saveIni(ini) : true;
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
    const auto scrambled = PasswordScrambler::Scramble(password);
    pass = scrambled ? scrambled->cipher : "";
    key = scrambled ? scrambled->key : "";
    ok = setValue(ini, kSection, "Pass", pass) && ok;
    ok = setValue(ini, kSection, "Key", key) && ok;
    ok = setValue(ini, kSection, "ip", receiverAddress) && ok;
    ok = setValue(ini, kSection, "vlcpath", vlcPath) && ok;
    return saveIni(ini) && ok;
}

bool SharingSettings::SetServerType(std::uint32_t v) {
    serverType = v;
    return SaveSettings();
}
bool SharingSettings::SetAutoStart(std::uint32_t v) {
    autoStart = v;
    return SaveSettings();
}
bool SharingSettings::SetUseVlc(std::uint32_t v) {
    useVlc = v;
    return SaveSettings();
}
bool SharingSettings::SetVideoBitrate(std::uint32_t v) {
    videoBitrate = v;
    return SaveSettings();
}
bool SharingSettings::SetAudioBitrate(std::uint32_t v) {
    audioBitrate = v;
    return SaveSettings();
}
bool SharingSettings::SetVlcPath(const std::string& v) {
    if (v.size() > kMaxVlcPathLength)
        return false;
    vlcPath = v;
    return SaveSettings();
}
bool SharingSettings::SetReceiverAddress(const std::string& v) {
    if (v.size() > kMaxAddressLength)
        return false;
    receiverAddress = v;
    return SaveSettings();
}
bool SharingSettings::SetAccount(const std::string& newUser, const std::string& newPassword) {
    if (newUser.size() > kMaxUserLength || newPassword.size() > kMaxPasswordLength)
        return false;
    user = newUser;
    password = newPassword;
    return SaveSettings();
}

bool SharingSettings::LoadShares() {
    for (auto& share : shares_)
        share.reset();
    std::vector<ShareRecord> listed;
    lastError_.clear();
    if (!system_->List(listed, lastError_))
        return false;
    std::size_t slot = 0;
    for (const ShareRecord& record : listed) {
        if (slot >= kMaxShares)
            break;
        shares_[slot++] = std::make_unique<ShareRecord>(record);
    }
    return true;
}

ShareCheck SharingSettings::AddShare(const ShareRecord& record) {
    lastError_.clear();
    std::error_code ec;
    if (record.path.empty() || record.path.size() > ShareRecord::kMaxPathLength ||
        !std::filesystem::is_directory(record.path, ec))
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
        // Share names compare without regard to case, as Samba's do.
        if (shares_[i] && IniFile::namesEqual(shares_[i]->name, record.name))
            return ShareCheck::NameTaken;
        if (!shares_[i] && freeSlot == kMaxShares)
            freeSlot = i;
    }
    if (freeSlot == kMaxShares)
        return ShareCheck::TableFull;
    ShareRecord stored = record;
    // A record share is always writable, so the receiver can record into it.
    stored.readOnly = (record.readOnly != 0 && type != MediaType::Record) ? 1 : 0;
    if (!system_->Create(stored, user, lastError_))
        return ShareCheck::SystemFailed;
    shares_[freeSlot] = std::make_unique<ShareRecord>(stored);
    return ShareCheck::Added;
}

bool SharingSettings::DeleteShare(std::size_t slot) {
    lastError_.clear();
    if (slot >= kMaxShares || !shares_[slot]) {
        lastError_ = "no such share";
        return false;
    }
    // The account keeps its access while another share still names the same folder.
    bool lastOfFolder = true;
    for (std::size_t i = 0; i < kMaxShares; ++i) {
        if (i != slot && shares_[i] && shares_[i]->path == shares_[slot]->path)
            lastOfFolder = false;
    }
    if (!system_->Remove(*shares_[slot], user, lastOfFolder, lastError_))
        return false;
    shares_[slot].reset();
    return true;
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
    return setValue(ini, kSubtitleSection, name, value) && saveIni(ini);
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
