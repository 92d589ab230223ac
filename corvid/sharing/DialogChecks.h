#pragma once
// The checks of Corvid's dialogs, apart from any window: each returns the message to show, or
// an empty text when the input is accepted.

#include <cstdint>
#include <string>

namespace corvid::sharing {

class DialogChecks {
  public:
    // New account: user id, password and its confirmation.
    static std::string NewAccount(const std::string& user, const std::string& password,
                                  const std::string& confirm);
    // Settings: account and the two bitrates (0 = none chosen).
    static std::string Settings(const std::string& user, const std::string& password,
                                std::uint32_t videoBitrate, std::uint32_t audioBitrate);
    // Start: the receiver's address and the account.
    static std::string Start(const std::string& receiverAddress, const std::string& user,
                             const std::string& password);
    // Wizard login page: the password and its confirmation.
    static std::string Login(const std::string& password, const std::string& confirm);
};

}  // namespace corvid::sharing
