#pragma once
// Corvid's shares as Samba user shares: listed with `net usershare info --long`, made with
// `net usershare add NAME PATH COMMENT ACL guest_ok=n` (the comment is the media-type name) and
// removed with `net usershare delete`. The folder is opened to the receiver's account alone,
// with a POSIX ACL (read and enter, plus write for a record share), instead of to everyone.

#include <string>
#include <string_view>
#include <vector>

#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/ShareSystem.h"

namespace corvid::sharing {

class SambaShares : public ShareSystem {
  public:
    // configFile: a Samba configuration of its own ("" = the system's).
    SambaShares(CommandRunner& runner, std::string configFile = {});

    bool List(std::vector<ShareRecord>& shares, std::string& error) override;
    bool Create(const ShareRecord& share, const std::string& account, std::string& error) override;
    bool Remove(const ShareRecord& share, const std::string& account, bool revokeAccess,
                std::string& error) override;

    // The shares of `net usershare info --long` output whose comment is a media-type name. A
    // share is read-only unless its ACL grants full control to someone.
    static std::vector<ShareRecord> ParseUsershareInfo(std::string_view text);
    // True when Samba maps no failed logon to the guest account ("map to guest = Never");
    // otherwise *message says what the configuration must hold.
    bool GuestMappingIsNever(std::string* message = nullptr);

  private:
    std::vector<std::string> command(std::vector<std::string> args) const;
    bool grantAccess(const ShareRecord& share, const std::string& account, std::string& error);

    CommandRunner& runner_;
    std::string config_;
};

}  // namespace corvid::sharing
