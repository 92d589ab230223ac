#include "corvid/sharing/VlcPlaylist.h"

#include <cstdio>

#include "common/IniFile.h"
#include "corvid/sharing/AtomicFile.h"
#include "corvid/sharing/SharingSettings.h"

namespace corvid::sharing {

namespace {

std::string option(const char* name, const std::string& value) {
    return std::string("#EXTVLCOPT:") + name + "=" + value + "\n";
}

std::string number(std::uint32_t v) {
    return std::to_string(v);
}

}  // namespace

std::uint32_t VlcPlaylist::VideoBitrate(std::uint32_t stored) {
    return stored >= 128 && stored <= 3072 ? stored : 3072;
}

std::uint32_t VlcPlaylist::AudioBitrate(std::uint32_t stored) {
    return stored >= 32 && stored <= 512 ? stored : 192;
}

std::filesystem::path VlcPlaylist::FontPath(const std::string& font,
                                            const std::filesystem::path& fontsFolder) {
    if (font.empty() || common::IniFile::namesEqual(font, "None"))
        return {};
    const std::filesystem::path name = std::filesystem::path(font).filename();
    std::error_code ec;
    constexpr int kMaxEntries = 20000;  // a bounded search, whatever the folder holds
    int seen = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(
             fontsFolder, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator() && seen < kMaxEntries;
         it.increment(ec), ++seen) {
        if (it->path().filename() == name && it->is_regular_file(ec))
            return it->path();
    }
    return fontsFolder / name;
}

VlcPlaylist::Options VlcPlaylist::FromSettings(const SharingSettings& settings,
                                               const std::filesystem::path& fontsFolder) {
    Options o;
    o.videoBitrate = settings.videoBitrate;
    o.audioBitrate = settings.audioBitrate;
    o.font = FontPath(settings.SubtitleFont(), fontsFolder);
    o.align = settings.SubtitleAlign();
    o.relativeSize = settings.SubtitleRealSize();
    o.effect = settings.SubtitleEffect();
    o.color = settings.SubtitleColor();
    return o;
}

std::string VlcPlaylist::StreamOutput(const Options& o) {
    return "#transcode{width=720,canvas-height=480,vcodec=mp2v,vb=" +
           number(VideoBitrate(o.videoBitrate)) +
           ",scale=1,acodec=mpga,ab=" + number(AudioBitrate(o.audioBitrate)) +
           ",channels=2,soverlay,fps=25}:duplicate{dst=std{access=udp,mux=ts,dst=" + o.destination +
           ":" + number(o.udpPort) + "}}";
}

std::string VlcPlaylist::Text(const Options& o) {
    std::string text = "#EXTM3U\n";
    if (!o.subtitle.empty())
        text += option("sub-file", o.subtitle.string());
    text += option("subsdec-encoding", "System Default");
    if (!o.font.empty())
        text += option("freetype-font", o.font.string());
    text += option("subsdec-align", number(o.align));
    text += option("freetype-rel-fontsize", number(o.relativeSize));
    text += option("freetype-effect", number(o.effect));
    text += option("freetype-color", number(o.color));
    text += option("sout-ts-pid-audio", "68");
    text += option("sout-ts-pid-video", "69");
    text += option("sout-ts-pid-spu", "70");
    text += option("sout-ts-pid-pmt", "71");
    text += option("sout-ts-tsid", "1");
    text += option("sout", StreamOutput(o));
    text += o.media.string() + "\n";
    return text;
}

std::vector<std::string> VlcPlaylist::CommandLineOptions(const Options& o) {
    std::vector<std::string> args;
    if (!o.subtitle.empty()) {
        args.push_back("--sub-file=" + o.subtitle.string());
        // The subtitle is UTF-8 by now: converted, or it carried the byte-order mark.
        args.push_back("--subsdec-encoding=UTF-8");
    }
    if (!o.font.empty())
        args.push_back("--freetype-font=" + o.font.string());
    args.push_back("--subsdec-align=" + number(o.align));
    args.push_back("--freetype-rel-fontsize=" + number(o.relativeSize));
    // VLC 3 draws the effects as an outline of some thickness or as a box behind the text.
    if (o.effect == 1)
        args.push_back("--freetype-background-opacity=255");
    else
        args.push_back(std::string("--freetype-outline-thickness=") + (o.effect == 3 ? "6" : "4"));
    args.push_back("--freetype-color=" + number(o.color));
    args.push_back("--sout-ts-pid-audio=68");
    args.push_back("--sout-ts-pid-video=69");
    args.push_back("--sout-ts-pid-spu=70");
    args.push_back("--sout-ts-pid-pmt=71");
    args.push_back("--sout-ts-tsid=1");
    args.push_back("--sout=" + StreamOutput(o));
    return args;
}

bool VlcPlaylist::Write(const std::filesystem::path& file, const Options& options,
                        std::string* error) {
    if (AtomicFile::Write(file, Text(options)))
        return true;
    if (error != nullptr)
        *error = "Can not open playlist file";
    return false;
}

}  // namespace corvid::sharing
