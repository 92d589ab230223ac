#include "corvid/sharing/SambaAccount.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace corvid::sharing {

SambaAccount::SambaAccount(CommandRunner& runner, std::string configFile)
    : runner_(runner), config_(std::move(configFile)) {}

bool SambaAccount::ValidUserName(const std::string& user) {
    if (user.empty() || user.size() > kMaxUserLength || user.front() == '-')
        return false;
    for (char c : user) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

std::vector<std::string> SambaAccount::withConfig(std::vector<std::string> argv,
                                                  const char* option) const {
    if (!config_.empty())
        argv.insert(argv.begin() + 1, {option, config_});
    return argv;
}

SambaAccount::Elevation SambaAccount::FindElevation() {
    if (::geteuid() == 0)
        return {true, {}};
    if (programOnPath("sudo") && runner_.Run({"sudo", "-n", "true"}).ok())
        return {true, {"sudo", "-n"}};
    const bool desktop = std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY");
    if (desktop && programOnPath("pkexec"))
        return {true, {"pkexec"}};
    return {};
}

CommandResult SambaAccount::runPrivileged(const std::vector<std::string>& argv,
                                          const std::string& input,
                                          const std::string& commandForUser, std::string& message) {
    const Elevation e = FindElevation();
    if (!e.ok) {
        message = "This needs root's rights. Run: sudo " + commandForUser;
        return {};
    }
    std::vector<std::string> full = e.prefix;
    full.insert(full.end(), argv.begin(), argv.end());
    CommandResult r = runner_.Run(full, input);
    if (!r.ok())
        message = argv.front() + ": " + r.reason();
    return r;
}

bool SambaAccount::CreateAccount(const std::string& user, const std::string& password,
                                 std::string& message) {
    if (!ValidUserName(user)) {
        message = "The user name may hold letters, digits, '.', '_' and '-' (up to 20)";
        return false;
    }
    if (password.empty() || password.find_first_of("\r\n") != std::string::npos) {
        message = "The password must be one line and not empty";
        return false;
    }
    const std::string again = "corvid account set " + user;
    if (::getpwnam(user.c_str()) == nullptr &&
        !runPrivileged({"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin",
                        "--comment", "PVR USER", user},
                       {}, again, message)
             .ok())
        return false;
    return runPrivileged(withConfig({"smbpasswd", "-a", "-s", user}, "-c"),
                         password + "\n" + password + "\n", again, message)
        .ok();
}

bool SambaAccount::DeleteAccount(const std::string& user, std::string& message) {
    if (!ValidUserName(user)) {
        message = "The user name could not be found";
        return false;
    }
    return runPrivileged(withConfig({"smbpasswd", "-x", user}, "-c"), {}, "smbpasswd -x " + user,
                         message)
        .ok();
}

bool SambaAccount::CheckAccount(const std::string& user, const std::string& password,
                                std::string& message) {
    if (!ValidUserName(user) || password.empty()) {
        message = "ID or Password is faild";
        return false;
    }
    // The password goes through the environment, not the argument list that everyone can read.
    const CommandResult r =
        runner_.Run(withConfig({"smbclient", "-L", "127.0.0.1", "-U", user, "-m", "SMB3"}, "-s"),
                    {}, {{"PASSWD", password}});
    if (r.ok())
        return true;
    const std::string all = r.output + r.errors;
    if (all.find("NT_STATUS_LOGON_FAILURE") != std::string::npos)
        message = "ID or Password is faild";
    else if (all.find("NT_STATUS_CONNECTION_REFUSED") != std::string::npos)
        message = "Samba does not answer on 127.0.0.1 (is smbd running?)";
    else
        message = "smbclient: " + r.reason();
    return false;
}

}  // namespace corvid::sharing
