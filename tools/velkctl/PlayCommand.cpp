// play: plays a recording (with its part files) or an MP3 file on the PC through the same
// media graph as the player window, printing each state change and the position once a second.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/velkctl/Velkctl.h"
#include "velkport/recordings/playback/Player.h"

namespace velkctl {

namespace {

using velkport::recordings::playback::GraphOptions;
using velkport::recordings::playback::Player;
using velkport::recordings::playback::PlayerState;
using velkport::recordings::playback::StateText;

int RunPlay(Context& context, const std::vector<std::string>& args) {
    GraphOptions options;
    std::string file;
    long seconds = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--video-sink" || a == "--audio-sink" || a == "--seconds") {
            if (i + 1 >= args.size())
                return UsageError("play", a + " needs a value");
            const std::string& value = args[++i];
            if (a == "--video-sink") {
                options.videoSink = value;
            } else if (a == "--audio-sink") {
                options.audioSink = value;
            } else {
                char* end = nullptr;
                seconds = std::strtol(value.c_str(), &end, 10);
                if (value.empty() || *end || seconds < 1 || seconds > 86400)
                    return UsageError("play", "--seconds: 1 to 86400: " + value);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("play", "unknown option " + a);
        } else if (file.empty()) {
            file = a;
        } else {
            return UsageError("play", "one file at a time");
        }
    }
    if (file.empty())
        return UsageError("play", "no file given");

    Player player(*context.prompter, options);
    const auto opened = std::chrono::steady_clock::now();
    auto report = [&] {
        std::printf("state: %s\n", StateText(static_cast<int>(player.state())).c_str());
    };
    if (!player.OpenRecording(file)) {
        if (!player.errorText().empty())
            std::fprintf(stderr, "velkctl: %s\n", player.errorText().c_str());
        return kExitFailure;
    }
    std::printf("playing %s", file.c_str());
    for (std::size_t i = 1; i < player.playlist().size(); ++i)
        std::printf(" + %s", player.playlist()[i].filename().c_str());
    std::printf("\n");
    report();
    std::fflush(stdout);

    const auto start = std::chrono::steady_clock::now();
    auto nextLine = start + std::chrono::seconds(1);
    bool settled = false;
    while (player.state() == PlayerState::Playing) {
        // Finely until the graph has settled, so that the time to the first picture is exact.
        if (player.Poll(std::chrono::milliseconds(settled ? 55 : 1)))
            report();
        auto now = std::chrono::steady_clock::now();
        if (!settled && player.settled()) {
            settled = true;
            std::printf("%s after %.1f ms\n", player.hasVideo() ? "first picture" : "first sound",
                        std::chrono::duration<double, std::milli>(now - opened).count());
        }
        if (player.state() == PlayerState::Playing && now >= nextLine) {
            std::printf("position:%s\n", player.PositionText().c_str());
            nextLine += std::chrono::seconds(1);
        }
        std::fflush(stdout);
        if (seconds > 0 && now - start >= std::chrono::seconds(seconds)) {
            player.Stop();
            report();
            break;
        }
    }
    if (player.state() == PlayerState::Error) {
        std::fprintf(stderr, "velkctl: %s\n", player.errorText().c_str());
        return kExitFailure;
    }
    return kExitOk;
}

const Registration kPlay({
    "play",
    "play FILE [--video-sink NAME] [--audio-sink NAME] [--seconds N]",
    "play a recording (with its part files) or an MP3 file on this PC",
    "Plays FILE (.ts, .rts, their .ots parts, or .mp3) with the player's GStreamer graph.\n"
    "Each state change and, once a second, the position are printed; the command ends at the\n"
    "end of the stream, or after N seconds with --seconds. --video-sink and --audio-sink name\n"
    "the GStreamer sinks, optionally with properties (default autovideosink and autoaudiosink;\n"
    "fakesink decodes as fast as it can without picture or sound, \"fakesink sync=true\" in\n"
    "real time). A missing GStreamer element is named with its Debian package.\n",
    false,
    RunPlay,
});

}  // namespace

}  // namespace velkctl
