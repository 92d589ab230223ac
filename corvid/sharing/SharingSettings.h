#pragma once
// Corvid's persistent state: its options (server type, account, receiver address, VLC and
// subtitle choices, auto start) and its table of shared folders. On this platform the options
// live in a per-user INI file ($XDG_CONFIG_HOME/corvid/corvid.ini, section "Setting" and
// "Setting\Subtitle", the value names unchanged) and the share list in "shares.ini" beside it,
// one section per share named after the share.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "corvid/sharing/ShareRecord.h"

namespace corvid::sharing {

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
    StoreFailed,   // the share list could not be written
};

class SharingSettings {
  public:
    static constexpr std::size_t kMaxShares = 256;

    // Folder of the settings files; the default is $XDG_CONFIG_HOME/corvid (or ~/.config/corvid).
    explicit SharingSettings(std::filesystem::path folder = defaultFolder());
    static std::filesystem::path defaultFolder();

    // Reads every option, writing back the defaults of the missing ones.
    bool LoadSettings();
    bool SaveSettings();
    bool LoadShares();

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
    std::string key;       // stored password key
    std::string pass;      // stored scrambled password
    std::string password;  // plain password, only in memory
    std::string receiverAddress;
    std::string vlcPath;
    std::string hostName;
    std::string hostAddress;

  private:
    std::uint32_t subtitleValue(const char* name, std::uint32_t first) const;
    bool setSubtitleValue(const char* name, const std::string& value);
    bool saveShares() const;

    std::filesystem::path folder_;
    std::array<std::unique_ptr<ShareRecord>, kMaxShares> shares_;
};

}  // namespace corvid::sharing
