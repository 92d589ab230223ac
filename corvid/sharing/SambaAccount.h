#pragma once
// The receiver's account: a system user that cannot log on locally, with a Samba password.
// Making and removing it needs root; those commands run directly as root, else through
// `sudo -n` when that is allowed without a password, else through pkexec on a desktop, else the
// message says which one command the user has to run.

#include <string>
#include <vector>

#include "corvid/sharing/CommandRunner.h"

namespace corvid::sharing {

class SambaAccount {
  public:
    static constexpr std::size_t kMaxUserLength = 20;

    SambaAccount(CommandRunner& runner, std::string configFile = {});

    bool CreateAccount(const std::string& user, const std::string& password, std::string& message);
    bool DeleteAccount(const std::string& user, std::string& message);
    // Logs on to Samba on 127.0.0.1 with the pair; true when it is accepted.
    bool CheckAccount(const std::string& user, const std::string& password, std::string& message);

    // Letters, digits, '.', '_' and '-', not starting with '-', 1 to 20 characters.
    static bool ValidUserName(const std::string& user);

    // How privileged commands are run: as they stand (root), behind "sudo -n", behind "pkexec",
    // or not at all (empty optional-like result: ok = false).
    struct Elevation {
        bool ok = false;
        std::vector<std::string> prefix;
    };
    Elevation FindElevation();

  private:
    CommandResult runPrivileged(const std::vector<std::string>& argv, const std::string& input,
                                const std::string& commandForUser, std::string& message);
    std::vector<std::string> withConfig(std::vector<std::string> argv, const char* option) const;

    CommandRunner& runner_;
    std::string config_;
};

}  // namespace corvid::sharing
