#pragma once
// The application object: what the whole program knows about itself and about the receiver it is
// connected to. The connect step fills the receiver fields; the FTP users and the command
// channels read them.

#include <cstdint>
#include <filesystem>
#include <string>

namespace velkport::shell {

struct AppContext {
    std::filesystem::path programFolder;  // where lang/config.ini and the help live
    std::string programName = "velkport";
    bool german = false;  // the German variants of the toolbar pictures

    // The current connection (empty until the first successful Connect).
    std::string receiverAddress;
    std::string userId;
    std::string pinCode;

    // Ports: the receiver's defaults, overridable for tests and emulated receivers.
    std::uint16_t ftpPort = 21;
    std::uint16_t portBase = 34000;  // command channel n listens on portBase + n
};

}  // namespace velkport::shell
