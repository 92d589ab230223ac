#pragma once
// Where the shares live: the system's file sharing. Corvid's shares are the system's shares
// whose comment is a media-type name; every other share is left alone.

#include <string>
#include <vector>

#include "corvid/sharing/ShareRecord.h"

namespace corvid::sharing {

class ShareSystem {
  public:
    virtual ~ShareSystem() = default;
    // Corvid's shares as the system lists them; false (with a reason) when it cannot be asked.
    virtual bool List(std::vector<ShareRecord>& shares, std::string& error) = 0;
    // Shares the folder for the receiver's account (empty: no account set up yet), writable
    // unless the record is read-only.
    virtual bool Create(const ShareRecord& share, const std::string& account,
                        std::string& error) = 0;
    // Removes the share; revokeAccess also takes the account's access to the folder away.
    virtual bool Remove(const ShareRecord& share, const std::string& account, bool revokeAccess,
                        std::string& error) = 0;
};

}  // namespace corvid::sharing
