#pragma once
// Shares kept in memory instead of Samba, for tests of what sits on top of the share table.

#include <string>
#include <vector>

#include "corvid/sharing/ShareSystem.h"

namespace corvid::sharing {

class MemoryShares : public ShareSystem {
  public:
    bool List(std::vector<ShareRecord>& out, std::string&) override {
        out = shares;
        return true;
    }
    bool Create(const ShareRecord& share, const std::string&, std::string&) override {
        shares.push_back(share);
        return true;
    }
    bool Remove(const ShareRecord& share, const std::string&, bool, std::string&) override {
        std::erase_if(shares, [&](const ShareRecord& s) { return s.name == share.name; });
        return true;
    }
    std::vector<ShareRecord> shares;
};

}  // namespace corvid::sharing
