#include "corvid/sharing/DialogChecks.h"

#include <arpa/inet.h>

namespace corvid::sharing {

std::string DialogChecks::NewAccount(const std::string& user, const std::string& password,
                                     const std::string& confirm) {
    if (user.empty())
        return "Type a name for new account";
    if (password.empty())
        return "Type a password for new account";
    if (confirm.empty())
        return "Type a confirm for new account";
    if (password != confirm)
        return "The passwords you typed do not mach. Please retype the new password and confirm";
    return {};
}

std::string DialogChecks::Settings(const std::string& user, const std::string& password,
                                   std::uint32_t videoBitrate, std::uint32_t audioBitrate) {
    if (user.empty())
        return "Fill a user ID";
    if (password.empty())
        return "Fill a password";
    if (videoBitrate == 0)
        return "Select a video bitrate";
    if (audioBitrate == 0)
        return "Select a audio bitrate";
    return {};
}

std::string DialogChecks::Start(const std::string& receiverAddress, const std::string& user,
                                const std::string& password) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, receiverAddress.c_str(), &parsed) != 1)
        return "PVR is not selected";
    if (user.empty())
        return "Fill a user ID";
    if (password.empty())
        return "Fill a password";
    return {};
}

std::string DialogChecks::Login(const std::string& password, const std::string& confirm) {
    return password == confirm ? std::string() : "Password and Confrim is not same";
}

}  // namespace corvid::sharing
