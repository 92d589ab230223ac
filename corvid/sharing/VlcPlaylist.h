#pragma once
// The playlist Corvid hands VLC for one stream to the receiver: the subtitle and transcoding
// options as "#EXTVLCOPT:" lines, then the media file. VLC 3 takes stream-output options only
// from its command line, so CommandLineOptions() gives the same options in that form.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvid::sharing {

class SharingSettings;

class VlcPlaylist {
  public:
    static constexpr std::uint16_t kUdpPort = 1234;

    struct Options {
        std::string destination;  // IPv4 address text the stream goes to
        std::uint16_t udpPort = kUdpPort;
        std::filesystem::path media;     // the file to stream
        std::filesystem::path subtitle;  // empty: none
        std::filesystem::path font;      // full path of the subtitle font; empty: VLC's own
        std::uint32_t videoBitrate = 0;  // stored values; Text() applies the ranges
        std::uint32_t audioBitrate = 0;
        std::uint32_t align = 0;
        std::uint32_t relativeSize = 18;
        std::uint32_t effect = 2;
        std::uint32_t color = 16777215;
    };

    // The stored video bitrate when it lies in 128..3072 kbit/s, else 3072.
    static std::uint32_t VideoBitrate(std::uint32_t stored);
    // The stored audio bitrate when it lies in 32..512 kbit/s, else 192.
    static std::uint32_t AudioBitrate(std::uint32_t stored);

    // The options from the settings (bitrates and subtitle choices; the font looked up in
    // fontsFolder); destination, media and subtitle are left for the caller.
    static Options FromSettings(const SharingSettings& settings,
                                const std::filesystem::path& fontsFolder = "/usr/share/fonts");
    // A font file name as the full path of the file of that name under fontsFolder (searched
    // through its subfolders); empty for "" and "None" in any case.
    static std::filesystem::path FontPath(const std::string& font,
                                          const std::filesystem::path& fontsFolder);

    // The stream-output chain: transcoding to MPEG-2 video and MPEG audio in a transport
    // stream sent by UDP to destination:port.
    static std::string StreamOutput(const Options& options);
    // The playlist's bytes.
    static std::string Text(const Options& options);
    // The same options for VLC's command line (without the playlist itself).
    static std::vector<std::string> CommandLineOptions(const Options& options);

    // Writes Text() to file in one step (a temporary file beside it, then a rename). False with
    // "Can not open playlist file" in *error when it cannot be written.
    static bool Write(const std::filesystem::path& file, const Options& options,
                      std::string* error = nullptr);
};

}  // namespace corvid::sharing
