#pragma once
// "Send to DVR" and "Load from DVR": the whole channel list moves between the editor and the
// receiver's FTP server as the file channel.xml, through a temporary copy on the PC, on a
// worker thread with progress reports.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "velkport/channels/ChannelListEditor.h"
#include "velkport/shell/base/AppContext.h"
#include "velkport/shell/base/JobResult.h"
#include "velkport/shell/base/Progress.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::channels {

class ChannelExchange {
  public:
    static constexpr const char* kReceiverFolder = "/ftproot/System/Programmliste (Channel List)";
    static constexpr const char* kRemoteName = "channel.xml";
    static constexpr const char* kTempName = "tempchannel.xml";

    ChannelExchange(const shell::AppContext& context, ChannelListEditor& editor,
                    shell::Progress& progress);
    ~ChannelExchange();  // waits for a running worker
    ChannelExchange(const ChannelExchange&) = delete;
    ChannelExchange& operator=(const ChannelExchange&) = delete;

    // The pauses between the steps (100 ms, 500 ms at the end) that let the progress window be
    // seen; tests and velkctl turn them off.
    void setPacing(bool on) { pacing_ = on; }
    // Where the temporary copy lives (default: the user's cache folder).
    void setTempFolder(std::filesystem::path folder) { tempFolder_ = std::move(folder); }
    std::filesystem::path tempPath() const;
    // The per-user folder for temporary copies: $XDG_CACHE_HOME/velkport, ~/.cache/velkport, or
    // the system's temporary folder.
    static std::filesystem::path defaultTempFolder();
    // How long each FTP step may take.
    void setTimeout(std::chrono::milliseconds t) { timeout_ = t; }

    // The transfers themselves, on the calling thread: done, stopped (nothing to send or the
    // user declined the renumbering) or failed (with the FTP client's last reply, also shown).
    shell::JobResult sendChannelList();
    shell::JobResult loadChannelList();

    // The same on a worker thread; done(result) runs on that thread at its end. False when a
    // transfer is already running.
    bool startSend(std::function<void(shell::JobResult)> done);
    bool startLoad(std::function<void(shell::JobResult)> done);
    bool sendRunning() const { return sendRunning_; }
    bool loadRunning() const { return loadRunning_; }
    void wait();

  private:
    void pause(int ms) const;
    // Logs on, changes to the channel list folder and moves the file one way; a failure shows
    // the client's last reply. The progress window is hidden either way.
    shell::JobResult transfer(const std::filesystem::path& temp, bool download);
    bool start(bool send, std::function<void(shell::JobResult)> done);

    const shell::AppContext& context_;
    ChannelListEditor& editor_;
    shell::Progress& progress_;
    bool pacing_ = true;
    std::filesystem::path tempFolder_;
    std::chrono::milliseconds timeout_{30000};
    std::atomic<bool> sendRunning_{false};
    std::atomic<bool> loadRunning_{false};
    std::thread worker_;
};

}  // namespace velkport::channels
