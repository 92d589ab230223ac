#pragma once
// Placing a firmware image on the receiver: log on to its FTP server, change to
// "/ftproot/System/Software" and upload the image unchanged as "firmware.bin". The receiver's
// software takes the file over and restarts, so a successful upload ends with a reconnect.

#include <filesystem>
#include <string>

#include "velkport/shell/base/AppContext.h"
#include "velkport/shell/base/JobResult.h"
#include "velkport/shell/base/Progress.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::upgrade {

class FirmwareUpgrade {
  public:
    static constexpr const char* kFolderCommand = "CWD /ftproot/System/Software";
    static constexpr const char* kRemoteName = "firmware.bin";

    // Failures are shown through prompter with the FTP client's last reply (error icon).
    FirmwareUpgrade(const shell::AppContext& app, shell::Prompter& prompter)
        : app_(app), prompter_(prompter) {}

    // The whole upload, on the calling thread; done when the image arrived whole. The progress
    // goes to 10 of 100 after the logon, 30 after the change of folder and 100 after the upload.
    shell::JobResult Run(const std::filesystem::path& imagePath, shell::Progress& progress);
    shell::JobResult Run(const std::filesystem::path& imagePath);

    // The last reply of the client of the last Run (empty before any).
    const std::string& LastReply() const { return lastReply_; }

    // The progress bar's text: "%5.2f %%" ("30.00 %", " 0.00 %").
    static std::string ProgressText(double percent);

  private:
    const shell::AppContext& app_;
    shell::Prompter& prompter_;
    std::string lastReply_;
};

}  // namespace velkport::upgrade
