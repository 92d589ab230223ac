#pragma once
// The connect step that runs when the main window opens and again after a firmware upload:
// the Connect dialog, then a logon to the receiver's FTP server with what the user entered.
// Success (or Off Line) lets the program go on; failure ends it.

#include <chrono>
#include <functional>

#include "velkport/link/ConnectDialogView.h"
#include "velkport/link/FtpClient.h"
#include "velkport/shell/base/AppContext.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/SettingsStore.h"

namespace velkport::link {

class ConnectAndLogin {
  public:
    static constexpr const char* kLoginFailed = "Login fail. Check server address and password.";

    // settings may be null (nothing remembered); the FTP port is app.ftpPort.
    ConnectAndLogin(shell::AppContext& app, shell::Prompter& prompter,
                    shell::SettingsStore* settings);

    // Called first, to close the upgrade window when it is open.
    void SetCloseUpgradeWindow(std::function<void()> close) { closeUpgrade_ = std::move(close); }
    // The FTP client's time limit for each connect, send and reply.
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    // Runs the dialog and the logon. True when online, or offline by choice; false when the
    // user cancelled or the logon failed (after "Login fail. Check server address and
    // password." with the error icon).
    bool Run(ConnectDialogView& view);

    // Whether the last Run left the program online.
    bool Online() const { return online_; }

    // The logon itself, with the receiver address, user id and pin code held by app: shows
    // kLoginFailed on failure, and closes the connection without "QUIT" either way.
    static bool LogOnToReceiver(const shell::AppContext& app, shell::Prompter& prompter,
                                std::chrono::milliseconds timeout = FtpClient::kDefaultTimeout);

  private:
    shell::AppContext& app_;
    shell::Prompter& prompter_;
    shell::SettingsStore* settings_;
    std::function<void()> closeUpgrade_;
    std::chrono::milliseconds timeout_ = FtpClient::kDefaultTimeout;
    bool online_ = false;
};

}  // namespace velkport::link
