#include "velkport/link/ConnectDialog.h"

#include "velkport/link/ReceiverAddress.h"

namespace velkport::link {

ConnectDialog::ConnectDialog(ConnectDialogView& view, shell::Prompter& prompter,
                             shell::SettingsStore* settings)
    : view_(view), prompter_(prompter), settings_(settings) {}

ConnectResult ConnectDialog::Run() {
    view_.SetUserId(kUserId);
    if (settings_) {
        if (std::optional<std::string> last = settings_->LoadLastAddress())
            view_.SetAddress(*last);
    }
    view_.SetConnectHandler(
        [this](const std::string& address, const std::string& userId, const std::string& pin) {
            return OnConnect(address, userId, pin);
        });
    return view_.Run();
}

bool ConnectDialog::OnConnect(const std::string& address, const std::string& userId,
                              const std::string& pinCode) {
    if (userId.empty()) {
        prompter_.showMessage("Input user id", shell::PromptIcon::Error);
        return false;
    }
    if (pinCode.empty()) {
        prompter_.showMessage("Input password", shell::PromptIcon::Error);
        return false;
    }
    // A name or a short form would need a lookup or a guess: only four dotted numbers pass.
    if (!ReceiverAddress::IsValid(address)) {
        prompter_.showMessage(ReceiverAddress::kMissingMessage, shell::PromptIcon::Error);
        return false;
    }
    if (settings_)
        settings_->SaveLastAddress(address);  // a failed save is not reported
    return true;
}

}  // namespace velkport::link
