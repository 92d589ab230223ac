#include "velkport/upgrade/FirmwareUpgrade.h"

#include <cstdio>

#include "velkport/link/FtpClient.h"

namespace velkport::upgrade {

bool FirmwareUpgrade::Run(const std::filesystem::path& imagePath, const Progress& progress) {
    auto report = [&](int percent) {
        if (progress)
            progress(percent);
    };
    link::FtpClient client(prompter_);
    auto fail = [&](bool loggedOn) {
        lastReply_ = client.LastReply();
        prompter_.showMessage(lastReply_, shell::PromptIcon::Error);
        if (loggedOn)
            client.LogOff();
        return false;
    };
    if (!client.LogOn(app_.receiverAddress, app_.ftpPort, app_.userId, app_.pinCode))
        return fail(false);
    report(10);
    if (!client.Command(kFolderCommand))
        return fail(true);
    report(30);
    if (!client.TransferFile(kRemoteName, imagePath, false))
        return fail(true);
    report(100);
    lastReply_ = client.LastReply();
    client.LogOff();
    return true;
}

std::string FirmwareUpgrade::ProgressText(double percent) {
    char text[32];
    std::snprintf(text, sizeof(text), "%5.2f %%", percent);
    return text;
}

}  // namespace velkport::upgrade
