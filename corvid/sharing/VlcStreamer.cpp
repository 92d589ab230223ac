#include "corvid/sharing/VlcStreamer.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/SubtitleFile.h"

namespace corvid::sharing {

namespace {

bool report(std::string* error, const std::string& why) {
    if (error != nullptr)
        *error = why;
    return false;
}

}  // namespace

VlcStreamer::VlcStreamer(const SharingSettings& settings) : settings_(settings) {}

VlcStreamer::~VlcStreamer() {
    vlc_.Stop();
    std::error_code ec;
    if (!folder_.empty())
        std::filesystem::remove_all(folder_, ec);
}

const char* VlcStreamer::SteerCommand(std::uint32_t command) {
    static const char* const kCommands[] = {"key key-jump+medium",
                                            "key key-jump-medium",
                                            "key key-jump+long",
                                            "key key-jump-long",
                                            "pause",
                                            "key key-jump+short",
                                            "key key-jump-short"};
    return command >= 2 && command <= 8 ? kCommands[command - 2] : nullptr;
}

std::string VlcStreamer::Program() const {
    if (!program_.empty())
        return program_;
    if (!settings_.vlcPath.empty()) {
        const auto inFolder = std::filesystem::path(settings_.vlcPath) / "vlc";
        if (::access(inFolder.c_str(), X_OK) == 0)
            return inFolder.string();
    }
    return "vlc";
}

// A private folder for the playlist and the control socket, owned by the user VLC runs as.
bool VlcStreamer::prepareFolder(const std::string& user, std::string* error) {
    std::error_code ec;
    if (!folder_.empty() && folderOwner_ == user && std::filesystem::is_directory(folder_, ec))
        return true;
    if (!folder_.empty())
        std::filesystem::remove_all(folder_, ec);
    folder_.clear();
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (user.empty() && runtime != nullptr && *runtime != '\0' &&
        std::filesystem::is_directory(runtime, ec))
        base = runtime;  // another user cannot reach this user's runtime folder
    if (base.empty())
        base = "/tmp";
    std::string tmpl = (base / "corvid-vlc-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr)
        return report(error, "no folder for VLC's playlist in " + base.string());
    folder_ = tmpl;
    folderOwner_ = user;
    if (!user.empty()) {
        passwd* pw = ::getpwnam(user.c_str());
        if (pw == nullptr || ::chown(folder_.c_str(), pw->pw_uid, pw->pw_gid) != 0)
            return report(error, "VLC's folder cannot be handed to " + user);
    }
    return true;
}

bool VlcStreamer::Play(const std::string& destination, const std::filesystem::path& file,
                       std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    vlc_.Stop();
    // The playlist names the file on a line of its own.
    if (file.string().find_first_of("\r\n") != std::string::npos)
        return report(error, "a line break in the file name");
    std::string user;
    if (!VlcProcess::ChooseUser(user, error) || !prepareFolder(user, error))
        return false;

    VlcPlaylist::Options options = VlcPlaylist::FromSettings(settings_, fontsFolder_);
    options.destination = destination;
    options.udpPort = udpPort_;
    options.media = file;
    VlcProcess::Launch launch;
    if (const auto subtitle = SubtitleFile::Find(file)) {
        std::string why;
        if (const auto prepared = SubtitleFile::Prepare(*subtitle, &why)) {
            options.subtitle = prepared->path;
            if (prepared->temporary)
                launch.temporarySubtitle = prepared->path;
        }
    }
    if (!VlcPlaylist::Write(PlaylistFile(), options, error)) {
        std::error_code ec;
        if (!launch.temporarySubtitle.empty())
            std::filesystem::remove(launch.temporarySubtitle, ec);
        return false;
    }
    launch.program = Program();
    launch.options = VlcPlaylist::CommandLineOptions(options);
    launch.playlist = PlaylistFile();
    launch.controlSocket = folder_ / "control.sock";
    launch.logFile = folder_ / "vlc.log";
    launch.runAs = user;
    return vlc_.Start(launch, error);
}

bool VlcStreamer::Steer(std::uint32_t command) {
    const char* line = SteerCommand(command);
    return line != nullptr && vlc_.Command(line);
}

void VlcStreamer::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    vlc_.Stop();
}

}  // namespace corvid::sharing
