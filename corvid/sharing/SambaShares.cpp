#include "corvid/sharing/SambaShares.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "corvid/sharing/MediaType.h"

namespace corvid::sharing {

namespace {

bool isRecord(const ShareRecord& share) {
    return mediaTypeFromName(share.mediaTypeName) == MediaType::Record;
}

bool accountExists(const std::string& account) {
    return !account.empty() && ::getpwnam(account.c_str()) != nullptr;
}

std::string trim(std::string s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

}  // namespace

SambaShares::SambaShares(CommandRunner& runner, std::string configFile)
    : runner_(runner), config_(std::move(configFile)) {}

std::vector<std::string> SambaShares::command(std::vector<std::string> args) const {
    if (!config_.empty())
        args.insert(args.begin() + 1, {"-s", config_});
    return args;
}

std::vector<ShareRecord> SambaShares::ParseUsershareInfo(std::string_view text) {
    std::vector<ShareRecord> out;
    ShareRecord current;
    bool inShare = false;
    bool writable = false;
    auto finish = [&] {
        if (inShare && isShareTypeName(current.mediaTypeName) && !current.name.empty() &&
            current.name.size() <= ShareRecord::kMaxNameLength && !current.path.empty()) {
            current.readOnly = writable ? 0 : 1;
            out.push_back(current);
        }
        current = ShareRecord{};
        inShare = false;
        writable = false;
    };
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            finish();
            current.name = line.substr(1, line.size() - 2);
            inShare = true;
            continue;
        }
        const auto eq = line.find('=');
        if (!inShare || eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "path")
            current.path = value.substr(0, ShareRecord::kMaxPathLength);
        else if (key == "comment")
            current.mediaTypeName = value;
        else if (key == "usershare_acl")
            writable = value.find(":F") != std::string::npos;
    }
    finish();
    return out;
}

bool SambaShares::List(std::vector<ShareRecord>& shares, std::string& error) {
    const CommandResult r = runner_.Run(command({"net", "usershare", "info", "--long"}));
    if (!r.ok()) {
        error = "the Samba share list could not be read: " + r.reason();
        return false;
    }
    shares = ParseUsershareInfo(r.output);
    return true;
}

bool SambaShares::Create(const ShareRecord& share, const std::string& account, std::string& error) {
    // Samba refuses these in share names; '*' and '?' would also make the look-up below match
    // other shares.
    if (share.name.find_first_of("%<>*?|/\\+=;:\",") != std::string::npos ||
        share.name.front() == '-') {
        error = "The character or file system name is invalid";
        return false;
    }
    // `net usershare add` silently replaces a share of the same name, also one that is not
    // Corvid's: such a name is refused instead.
    const CommandResult existing =
        runner_.Run(command({"net", "usershare", "info", "--long", share.name}));
    if (existing.ok() && existing.output.find('[') != std::string::npos) {
        error = "The share name is already in use on this server";
        return false;
    }
    const bool known = accountExists(account);
    const std::string who = known ? account : "Everyone";
    const std::string acl = who + (share.readOnly != 0 && !isRecord(share) ? ":R" : ":F");
    const CommandResult r = runner_.Run(command({"net", "usershare", "add", share.name, share.path,
                                                 share.mediaTypeName, acl, "guest_ok=n"}));
    if (!r.ok()) {
        error = r.reason();
        if (error.empty())
            error = "net usershare add failed";
        // Only members of the group that owns Samba's user share folder may add shares.
        if (r.errors.find("ermission denied") != std::string::npos ||
            r.errors.find("not allowed") != std::string::npos)
            error +=
                " (join the group sambashare: sudo usermod -aG sambashare $USER, then log in "
                "again)";
        return false;
    }
    if (known && !grantAccess(share, account, error)) {
        std::string ignored;
        Remove(share, account, false, ignored);
        return false;
    }
    return true;
}

// The account may read (and unless the share is read-only, write) the folder and everything below
// it, also what is added later (default entries), and may pass through the folders above it that
// the user owns; nobody else gains anything.
bool SambaShares::grantAccess(const ShareRecord& share, const std::string& account,
                              std::string& error) {
    const std::string perms = share.readOnly != 0 && !isRecord(share) ? "rX" : "rwX";
    const std::string entry = "u:" + account + ":" + perms + ",d:u:" + account + ":" + perms;
    // A large media tree takes a while to walk.
    const auto usualLimit = runner_.timeLimit;
    runner_.timeLimit = std::max(usualLimit, std::chrono::milliseconds(600000));
    CommandResult r = runner_.Run({"setfacl", "-R", "-m", entry, "--", share.path});
    runner_.timeLimit = usualLimit;
    if (!r.ok()) {
        // A file system without ACLs (FAT, some network mounts) keeps its own permissions.
        if (r.errors.find("Operation not supported") != std::string::npos)
            return true;
        error = "setfacl: " + r.reason();
        return false;
    }
    std::vector<std::string> passThrough = {"setfacl", "-m", "u:" + account + ":x", "--"};
    std::error_code ec;
    auto folder = std::filesystem::absolute(share.path, ec).parent_path();
    for (; !ec && folder.has_relative_path(); folder = folder.parent_path()) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) == 0 && st.st_uid == ::geteuid() &&
            (st.st_mode & S_IXOTH) == 0)
            passThrough.push_back(folder.string());
    }
    if (passThrough.size() > 4)
        runner_.Run(passThrough);
    return true;
}

bool SambaShares::Remove(const ShareRecord& share, const std::string& account, bool revokeAccess,
                         std::string& error) {
    const CommandResult r = runner_.Run(command({"net", "usershare", "delete", share.name}));
    if (!r.ok()) {
        error = r.reason();
        if (error.empty())
            error = "net usershare delete failed";
        return false;
    }
    if (revokeAccess && accountExists(account))
        runner_.Run({"setfacl", "-R", "-x", "u:" + account + ",d:u:" + account, "--", share.path});
    return true;
}

bool SambaShares::GuestMappingIsNever(std::string* message) {
    std::vector<std::string> argv = {"testparm", "-s", "--parameter-name", "map to guest"};
    if (!config_.empty())
        argv.push_back(config_);
    const CommandResult r = runner_.Run(argv);
    std::string value = trim(r.output.substr(0, r.output.find('\n')));
    for (char& c : value)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (r.ok() && value == "never")
        return true;
    if (message != nullptr)
        *message =
            "Samba's configuration must say \"map to guest = Never\" in its [global] "
            "section (it says \"" +
            (r.ok() ? value : r.reason()) +
            "\"); otherwise a wrong password logs on as the guest account";
    return false;
}

}  // namespace corvid::sharing
