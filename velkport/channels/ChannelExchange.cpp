#include "velkport/channels/ChannelExchange.h"

#include <cstdlib>

#include "velkport/channels/ChannelListFile.h"
#include "velkport/link/FtpClient.h"

namespace velkport::channels {

using shell::JobResult;
using shell::PromptIcon;

namespace {

std::string cwdCommand() {
    return std::string("CWD ") + ChannelExchange::kReceiverFolder;
}

}  // namespace

ChannelExchange::ChannelExchange(const shell::AppContext& context, ChannelListEditor& editor,
                                 shell::Progress& progress)
    : context_(context), editor_(editor), progress_(progress) {}

ChannelExchange::~ChannelExchange() {
    wait();
}

std::filesystem::path ChannelExchange::defaultTempFolder() {
    namespace fs = std::filesystem;
    fs::path folder;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        folder = fs::path(cache) / "velkport";
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        folder = fs::path(home) / ".cache" / "velkport";
    std::error_code ec;
    if (!folder.empty() && (fs::create_directories(folder, ec) || fs::is_directory(folder, ec)))
        return folder;
    return fs::temp_directory_path(ec);
}

std::filesystem::path ChannelExchange::tempPath() const {
    return (tempFolder_.empty() ? defaultTempFolder() : tempFolder_) / kTempName;
}

void ChannelExchange::pause(int ms) const {
    if (pacing_)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

JobResult ChannelExchange::transfer(const std::filesystem::path& temp, bool download) {
    shell::Prompter& prompter = editor_.prompter();
    link::FtpClient ftp(prompter, timeout_);
    progress_.advance(10);
    pause(100);
    bool loggedOn = false;
    bool ok =
        ftp.LogOn(context_.receiverAddress, context_.ftpPort, context_.userId, context_.pinCode);
    if (ok) {
        loggedOn = true;
        progress_.advance(20);
        pause(100);
        ok = ftp.Command(cwdCommand());
    }
    if (ok) {
        progress_.advance(50);
        pause(100);
        // Cancel stops the file mid-way: the temporary copy goes, the receiver's list stays.
        ftp.SetCancel([this] { return progress_.cancelled(); });
        ok = ftp.TransferFile(kRemoteName, temp, download);
    }
    if (!ok && ftp.Cancelled()) {
        ftp.LogOff();
        progress_.end();
        return JobResult::Stopped();
    }
    if (!ok) {
        JobResult failed = JobResult::Failed(ftp.LastReply());
        prompter.showMessage(failed.message, PromptIcon::Error);
        if (loggedOn)
            ftp.LogOff();
        progress_.end();
        return failed;
    }
    ftp.LogOff();
    progress_.advance(100);
    pause(500);
    progress_.end();
    return JobResult::Done();
}

JobResult ChannelExchange::sendChannelList() {
    if (editor_.empty())
        return JobResult::Stopped();
    const auto temp = tempPath();
    std::error_code ec;
    std::filesystem::remove(temp, ec);  // an old copy is never sent in place of this one
    const auto written = editor_.writeChannelList(temp, true);
    if (written.kind == ChannelListEditor::WriteResult::Declined)
        return JobResult::Stopped();  // renumbering declined: nothing is uploaded
    if (!written)
        return JobResult::Failed();  // the reason has been shown
    progress_.begin("Sending Channels ...", 100);
    JobResult result = transfer(temp, false);
    if (result.done())
        std::filesystem::remove(temp, ec);
    return result;
}

JobResult ChannelExchange::loadChannelList() {
    // The user's list stays until the receiver's one has arrived and parsed.
    progress_.begin("Loading Channels ...", 100);
    const auto temp = tempPath();
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    JobResult result = transfer(temp, true);
    if (result.done()) {
        const int rc = editor_.readChannelList(temp);
        if (!ChannelListEditor::readSucceeded(rc))
            result = JobResult::Failed(ChannelListFile::ixmlErrorName(rc));  // already shown
    }
    std::filesystem::remove(temp, ec);
    return result;
}

bool ChannelExchange::start(bool send, std::function<void(JobResult)> done) {
    if (sendRunning_ || loadRunning_)
        return false;
    if (worker_.joinable())
        worker_.join();
    (send ? sendRunning_ : loadRunning_) = true;
    worker_ = std::thread([this, send, done = std::move(done)] {
        JobResult result = send ? sendChannelList() : loadChannelList();
        (send ? sendRunning_ : loadRunning_) = false;
        if (done)
            done(std::move(result));
    });
    return true;
}

bool ChannelExchange::startSend(std::function<void(JobResult)> done) {
    return start(true, std::move(done));
}

bool ChannelExchange::startLoad(std::function<void(JobResult)> done) {
    return start(false, std::move(done));
}

void ChannelExchange::wait() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
        worker_.join();
}

}  // namespace velkport::channels
