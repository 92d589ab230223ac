#pragma once
// What Corvid's windows ask of the rest of the program: the account operations, the server
// start and reset, and the message boxes. The program gives the real ones; tests give
// recorders.

#include <QString>
#include <functional>
#include <string>

namespace corvid::sharing {

struct DesktopServices {
    using AccountCall =
        std::function<bool(const std::string& user, const std::string& password, std::string&)>;
    AccountCall checkAccount;
    AccountCall createAccount;
    std::function<bool(const std::string& user, std::string&)> deleteAccount;
    // The media server's systemd user unit (corvid serve) for a PC that runs without a desktop.
    std::function<bool()> serviceEnabled;
    std::function<bool(bool on, std::string&)> setServiceEnabled;
    std::function<int(bool showMessages)> startServer;
    std::function<int(bool showMessages)> reset;
    // Refusals and results (error icon) and yes/no questions (true = yes).
    std::function<void(const QString&)> showMessage;
    std::function<bool(const QString&)> ask;
};

// The text of a message id in the chosen language.
QString Tr(int id);
// English texts of the link and the checks shown in the chosen language when the table has
// them, else as they are.
QString Localized(const std::string& english);

}  // namespace corvid::sharing
