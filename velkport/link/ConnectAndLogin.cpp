#include "velkport/link/ConnectAndLogin.h"

#include "velkport/link/ConnectDialog.h"

namespace velkport::link {

ConnectAndLogin::ConnectAndLogin(shell::AppContext& app, shell::Prompter& prompter,
                                 shell::SettingsStore* settings)
    : app_(app), prompter_(prompter), settings_(settings) {}

bool ConnectAndLogin::LogOnToReceiver(const shell::AppContext& app, shell::Prompter& prompter,
                                      std::chrono::milliseconds timeout) {
    FtpClient client(prompter, timeout);
    if (client.LogOn(app.receiverAddress, app.ftpPort, app.userId, app.pinCode)) {
        client.Close();  // the logon only proves the pin: no "QUIT"
        return true;
    }
    prompter.showMessage(kLoginFailed, shell::PromptIcon::Error);
    client.Close();
    return false;
}

bool ConnectAndLogin::Run(ConnectDialogView& view) {
    if (closeUpgrade_)
        closeUpgrade_();
    ConnectDialog dialog(view, prompter_, settings_);
    switch (dialog.Run()) {
        case ConnectResult::Cancel:
            return false;
        case ConnectResult::OffLine:
            // The address stays what it was (empty at the first connect of a run), so the
            // command channels stay uninitialised.
            online_ = false;
            return true;
        case ConnectResult::Connect:
            break;
    }
    app_.receiverAddress = dialog.Address();
    app_.userId = dialog.UserId();
    app_.pinCode = dialog.PinCode();
    online_ = LogOnToReceiver(app_, prompter_, timeout_);
    return online_;
}

}  // namespace velkport::link
