#pragma once
// Streams a file to the receiver through VLC at corvidlet's request: play (write the playlist,
// start VLC), steer (jumps and pause through VLC's control socket) and stop. At most one VLC
// runs; a play request first ends the running one. The playlist, the control socket and VLC's
// log live in a folder of Corvid's own under $XDG_RUNTIME_DIR (else the temporary folder).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "corvid/sharing/VlcPlaylist.h"
#include "corvid/sharing/VlcProcess.h"

namespace corvid::sharing {

class SharingSettings;

class VlcStreamer {
  public:
    // settings: bitrates, subtitle choices and the VLC folder (must outlive the streamer).
    explicit VlcStreamer(const SharingSettings& settings);
    ~VlcStreamer();
    VlcStreamer(const VlcStreamer&) = delete;
    VlcStreamer& operator=(const VlcStreamer&) = delete;

    // Command 1: ends a running VLC, writes the playlist for file streamed to destination
    // (IPv4 text) and starts VLC on it. False with the reason when nothing streams.
    bool Play(const std::string& destination, const std::filesystem::path& file,
              std::string* error = nullptr);
    // Commands 2 to 8: VLC's jumps and pause. False when no VLC runs or the command is
    // outside 2..8.
    bool Steer(std::uint32_t command);
    // Command 9: ends VLC; its temporary subtitle goes with it.
    void Stop();
    bool Running() const { return vlc_.Running(); }

    // The remote-control line of a command 2..8, or null: 2/3 jump a minute forward/back
    // (Ctrl+arrow), 4/5 five minutes (Ctrl+Alt+arrow), 6 pause (Space), 7/8 ten seconds
    // (Alt+arrow).
    static const char* SteerCommand(std::uint32_t command);

    // The VLC program: "vlc" in the stored VLC folder when there is one, else "vlc" on PATH.
    std::string Program() const;
    std::filesystem::path Folder() const { return folder_; }
    std::filesystem::path PlaylistFile() const { return folder_ / "playlist.m3u"; }

    void SetProgram(std::string program) { program_ = std::move(program); }
    void SetUdpPort(std::uint16_t port) { udpPort_ = port; }
    void SetFontsFolder(std::filesystem::path folder) { fontsFolder_ = std::move(folder); }
    VlcProcess& process() { return vlc_; }

  private:
    bool prepareFolder(const std::string& user, std::string* error);

    const SharingSettings& settings_;
    std::mutex mutex_;
    std::filesystem::path folder_;
    std::string folderOwner_;
    std::string program_;
    std::uint16_t udpPort_ = VlcPlaylist::kUdpPort;
    std::filesystem::path fontsFolder_ = "/usr/share/fonts";
    VlcProcess vlc_;
};

}  // namespace corvid::sharing
