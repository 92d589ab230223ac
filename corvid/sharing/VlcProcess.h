#pragma once
// One running VLC: started on a playlist with its remote-control interface on a Unix socket,
// steered through that socket, ended and reaped. VLC refuses to run as root, so a Corvid
// running as root starts it as another user. Whatever way VLC ends (stopped, at the end of its
// playlist, crashed) it is reaped and the temporary subtitle of its stream is removed.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/Socket.h"

namespace corvid::sharing {

class VlcProcess {
  public:
    struct Launch {
        std::string program = "vlc";       // a path, or a name looked up on PATH
        std::vector<std::string> options;  // before the playlist
        std::filesystem::path playlist;
        std::filesystem::path controlSocket;      // the remote-control socket VLC makes
        std::string runAs;                        // user name; empty: this process's user
        std::filesystem::path temporarySubtitle;  // removed when VLC ends; empty: none
        std::filesystem::path logFile;            // VLC's output; empty: discarded
    };

    VlcProcess() = default;
    ~VlcProcess();
    VlcProcess(const VlcProcess&) = delete;
    VlcProcess& operator=(const VlcProcess&) = delete;

    // Ends a running VLC, then starts one and waits until its control socket answers. False
    // with the reason when VLC cannot be started or ends before it answers; nothing is left
    // running then and the temporary subtitle is gone.
    bool Start(const Launch& launch, std::string* error = nullptr);
    // Sends one remote-control command line ("pause", "key key-jump+medium"); false when no
    // VLC runs or it does not take the line. With reply, what VLC answers up to its
    // "returned" line is put there.
    bool Command(std::string_view line, std::string* reply = nullptr);
    // Asks VLC to quit, then ends it by signal when it does not, and reaps it.
    void Stop();
    bool Running() const;
    pid_t pid() const;

    // The user a VLC started by this process runs as: "" (this process's user) unless this
    // process is root; then $CORVID_VLC_USER, else $SUDO_USER, else the user who logged in to
    // this session; nothing with the reason when none of these names a user other than root.
    static bool ChooseUser(std::string& user, std::string* error = nullptr);

    std::chrono::milliseconds startLimit{15000};  // until the control socket answers
    std::chrono::milliseconds quitLimit{3000};    // for "quit" before signals are sent

  private:
    void watch(pid_t child);
    void stopLocked();
    bool exitedWithin(std::chrono::milliseconds limit);

    std::mutex operation_;  // one Start, Command or Stop at a time
    mutable std::mutex state_;
    std::condition_variable ended_;
    pid_t pid_ = -1;
    bool exited_ = true;
    std::filesystem::path temporarySubtitle_;
    std::filesystem::path socketPath_;
    common::Socket control_;
    std::thread watcher_;
};

}  // namespace corvid::sharing
