#include "velkport/channels/ChannelExchange.h"

#include <cstdlib>

#include "velkport/link/FtpClient.h"

namespace velkport::channels {

using shell::PromptIcon;

namespace {

std::string cwdCommand() {
    return std::string("CWD ") + ChannelExchange::kReceiverFolder;
}

}  // namespace

ChannelExchange::ChannelExchange(const shell::AppContext& context, ChannelListEditor& editor,
                                 ProgressSink& progress)
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

bool ChannelExchange::transfer(const std::filesystem::path& temp, bool download) {
    shell::Prompter& prompter = editor_.prompter();
    link::FtpClient ftp(prompter, timeout_);
    progress_.setPosition(10);
    pause(100);
    bool loggedOn = false;
    bool ok =
        ftp.LogOn(context_.receiverAddress, context_.ftpPort, context_.userId, context_.pinCode);
    if (ok) {
        loggedOn = true;
        progress_.setPosition(20);
        pause(100);
        ok = ftp.Command(cwdCommand());
    }
    if (ok) {
        progress_.setPosition(50);
        pause(100);
        ok = ftp.TransferFile(kRemoteName, temp, download);
    }
    if (!ok) {
        prompter.showMessage(ftp.LastReply(), PromptIcon::Error);
        if (loggedOn)
            ftp.LogOff();
        progress_.hide();
        return false;
    }
    ftp.LogOff();
    progress_.setPosition(100);
    pause(500);
    progress_.hide();
    return true;
}

int ChannelExchange::sendChannelList() {
    if (editor_.empty())
        return kStopped;
    const auto temp = tempPath();
    std::error_code ec;
    std::filesystem::remove(temp, ec);  // an old copy is never sent in place of this one
    if (!editor_.writeChannelList(temp, true))
        return kStopped;  // renumbering declined: nothing is uploaded
    progress_.show("Sending Channels ...");
    if (!transfer(temp, false))
        return kFailed;
    std::filesystem::remove(temp, ec);
    return kDone;
}

int ChannelExchange::loadChannelList() {
    editor_.clearAll();
    progress_.show("Loading Channels ...");
    const auto temp = tempPath();
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    const bool ok = transfer(temp, true);
    if (ok)
        editor_.readChannelList(temp);
    std::filesystem::remove(temp, ec);
    return ok ? kDone : kFailed;
}

bool ChannelExchange::start(bool send, std::function<void(int)> done) {
    if (sendRunning_ || loadRunning_)
        return false;
    if (worker_.joinable())
        worker_.join();
    (send ? sendRunning_ : loadRunning_) = true;
    worker_ = std::thread([this, send, done = std::move(done)] {
        const int result = send ? sendChannelList() : loadChannelList();
        (send ? sendRunning_ : loadRunning_) = false;
        if (done)
            done(result);
    });
    return true;
}

bool ChannelExchange::startSend(std::function<void(int)> done) {
    return start(true, std::move(done));
}

bool ChannelExchange::startLoad(std::function<void(int)> done) {
    return start(false, std::move(done));
}

void ChannelExchange::wait() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
        worker_.join();
}

}  // namespace velkport::channels
