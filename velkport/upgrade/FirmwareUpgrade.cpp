#include "velkport/upgrade/FirmwareUpgrade.h"

#include <cstdio>

#include "velkport/link/FtpClient.h"

namespace velkport::upgrade {

shell::JobResult FirmwareUpgrade::Run(const std::filesystem::path& imagePath) {
    shell::NullProgress progress;
    return Run(imagePath, progress);
}

shell::JobResult FirmwareUpgrade::Run(const std::filesystem::path& imagePath,
                                      shell::Progress& progress) {
    link::FtpClient client(prompter_);
    auto fail = [&](bool loggedOn) {
        lastReply_ = client.LastReply();
        prompter_.showMessage(lastReply_, shell::PromptIcon::Error);
        if (loggedOn) {
            client.LogOff();
            progress.end();
        }
        return shell::JobResult::Failed(lastReply_);
    };
    if (!client.LogOn(app_.receiverAddress, app_.ftpPort, app_.userId, app_.pinCode))
        return fail(false);
    progress.begin(imagePath.filename().string(), 100);
    progress.advance(10);
    if (!client.Command(kFolderCommand))
        return fail(true);
    progress.advance(30);
    if (!client.TransferFile(kRemoteName, imagePath, false))
        return fail(true);
    progress.advance(100);
    progress.end();
    lastReply_ = client.LastReply();
    client.LogOff();
    return shell::JobResult::Done();
}

std::string FirmwareUpgrade::ProgressText(double percent) {
    char text[32];
    std::snprintf(text, sizeof(text), "%5.2f %%", percent);
    return text;
}

}  // namespace velkport::upgrade
