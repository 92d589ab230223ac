#pragma once
// Corvid's persistent state: its options (server type, account, receiver address, VLC and
// subtitle choices, auto start) and its table of shared folders. The options live in a per-user
// INI file readable by its owner alone ($XDG_CONFIG_HOME/corvid/corvid.ini, sections "Setting"
// and "Setting\Subtitle"); the share list has no file of its own: it is the system's shares
// whose comment is a media-type name (Samba user shares unless another ShareSystem is given).

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "corvid/sharing/ShareRecord.h"
#include "corvid/sharing/ShareSystem.h"

namespace common {
class IniFile;
}

namespace corvid::sharing {

class CommandRunner;

// Outcome of checking a new share, in the order the checks run.
enum class ShareCheck {
    Added,         // "Add Success"
    InvalidPath,   // "Invalid Path"
    NoName,        // "Insert share name"
    NameTooLong,   // "Share Name is too long"
    SecondRecord,  // "Can not share more than one in case RECORD"
    BadType,       // not one of the five media-type names
    TableFull,     // all 256 slots taken
    NameTaken,     // a share of that name exists already
    SystemFailed,  // the system refused the share (LastError() says why)
};

// The text shown for a check's outcome ("Add Success", "Invalid Path", ...).
const char* ShareCheckMessage(ShareCheck check);

class SharingSettings {
  public:
    static constexpr std::size_t kMaxShares = 256;

    static constexpr std::size_t kMaxUserLength = 20;
    static constexpr std::size_t kMaxPasswordLength = 256;
    static constexpr std::size_t kMaxAddressLength = 15;
    static constexpr std::size_t kMaxVlcPathLength = 260;

    // Folder of the settings file; the default is $XDG_CONFIG_HOME/corvid (or ~/.config/corvid).
    // system: where shares are made (not owned); null = Samba user shares, with the Samba
    // configuration named by $CORVID_SMB_CONF when set.
    explicit SharingSettings(std::filesystem::path folder = defaultFolder(),
                             ShareSystem* system = nullptr);
    ~SharingSettings();
    SharingSettings(const SharingSettings&) = delete;
    SharingSettings& operator=(const SharingSettings&) = delete;
    static std::filesystem::path defaultFolder();
    // The Samba configuration Corvid's commands name ("" = the system's own).
    static std::string sambaConfigFile();

    // Reads every option, writing back the defaults of the missing ones, and unscrambles the
    // stored password when the file is the running user's own and no one else can read it.
    bool LoadSettings();
    // Writes every option; the password is scrambled with a fresh key.
    bool SaveSettings();
    // Fills the table from the system's shares.
    bool LoadShares();
    // Why the last share operation failed.
    const std::string& LastError() const { return lastError_; }

    // Setters of single options: each stores the value and saves; false when the value is too
    // long or the file cannot be written.
    bool SetServerType(std::uint32_t v);
    bool SetAutoStart(std::uint32_t v);
    bool SetUseVlc(std::uint32_t v);
    bool SetVideoBitrate(std::uint32_t v);
    bool SetAudioBitrate(std::uint32_t v);
    bool SetVlcPath(const std::string& v);
    bool SetReceiverAddress(const std::string& v);
    bool SetAccount(const std::string& newUser, const std::string& newPassword);

    ShareCheck AddShare(const ShareRecord& record);
    bool DeleteShare(std::size_t slot);
    std::size_t ShareCount() const;
    std::size_t CountSharesOfType(const std::string& mediaTypeName) const;
    // The record in a slot, or null for a free slot or a slot past the end.
    const ShareRecord* Share(std::size_t slot) const;

    // Subtitle options; a missing value reads as the first choice.
    std::uint32_t SubtitleAlign() const;
    std::uint32_t SubtitleRealSize() const;
    std::uint32_t SubtitleEffect() const;
    std::uint32_t SubtitleColor() const;
    std::string SubtitleFont() const;
    bool SetSubtitleAlign(std::uint32_t v);
    bool SetSubtitleRealSize(std::uint32_t v);
    bool SetSubtitleEffect(std::uint32_t v);
    bool SetSubtitleColor(std::uint32_t v);
    bool SetSubtitleFont(const std::string& v);

    std::filesystem::path settingsFile() const { return folder_ / "corvid.ini"; }
    std::filesystem::path sharesFile() const { return folder_ / "shares.ini"; }

    // Options (names as stored).
    std::uint32_t login = 0;
    std::uint32_t autoStart = 0;
    std::uint32_t useVlc = 0;
    std::uint32_t videoBitrate = 0;
    std::uint32_t audioBitrate = 0;
    std::uint32_t serverType = 0;  // 0 not chosen, 1 UPnP AV Server, 2 File Sharing Server
    std::string user;
    std::string key;       // stored password key (32 hexadecimal characters)
    std::string pass;      // stored scrambled password (hexadecimal)
    std::string password;  // plain password, only in memory
    std::string receiverAddress;
    std::string vlcPath;
    std::string hostName;
    std::string hostAddress;

  private:
    std::uint32_t subtitleValue(const char* name, std::uint32_t first) const;
    bool setSubtitleValue(const char* name, const std::string& value);
    bool saveIni(const common::IniFile& ini) const;
    bool fileIsPrivate() const;

    std::filesystem::path folder_;
    std::array<std::unique_ptr<ShareRecord>, kMaxShares> shares_;
    std::unique_ptr<CommandRunner> ownRunner_;
    std::unique_ptr<ShareSystem> ownSystem_;
    ShareSystem* system_ = nullptr;
    std::string lastError_;
};

}  // namespace corvid::sharing
