#pragma once
// Transport streams for tests, made with Debian's ffmpeg: MPEG-2 video (and MPEG audio), and a
// scrambled copy with the transport scrambling bits of the video packets set; the list entry
// the emulated receiver keeps beside a recording; and the names of the files in a folder.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fixtures/TempDir.h"

namespace fixtures {

// Makes a transport stream of the given seconds. source is an ffmpeg lavfi video source such as
// "testsrc=size=720x576:rate=25" or "color=c=0x2060C0:size=720x576:rate=25". True on success.
inline bool MakeTransportStream(const std::filesystem::path& out, const std::string& source,
                                double seconds, bool withAudio, const std::string& bitrate = "2M") {
    std::string cmd = "ffmpeg -nostdin -loglevel error -y -f lavfi -i '" + source + "'";
    if (withAudio)
        cmd += " -f lavfi -i sine=sample_rate=48000";
    cmd += " -t " + std::to_string(seconds) + " -c:v mpeg2video -b:v " + bitrate + " -g 12 -bf 0";
    cmd += withAudio ? " -c:a mp2 -ac 2" : " -an";
    cmd += " -f mpegts '" + out.string() + "'";
    return std::system(cmd.c_str()) == 0 && std::filesystem::exists(out);
}

// A recording's stream of the given seconds (a test picture at 4 Mbit/s with sound), cut to a
// whole number of blocks so that it arrives whole; empty when ffmpeg fails.
inline std::string RecordingStream(double seconds, std::size_t block) {
    TempDir dir;
    if (!MakeTransportStream(dir / "tv.ts", "testsrc=size=720x576:rate=25", seconds, true, "4M"))
        return {};
    std::string bytes = readFile(dir / "tv.ts");
    bytes.resize(bytes.size() / block * block);
    return bytes;
}

// Channel 7 "Kanal: Sieben", title "News", 1:02:05 long, not scrambled, with one event.
inline const char* const kNewsJson =
    R"({"channelNumber": 7, "channelName": "Kanal: Sieben", "title": "News",
  "start": 1700000000, "duration": 3725, "scrambled": 0,
  "events": [{"start": 1700000000, "duration": 1800, "name": "Headlines",
              "description": "Today"}]})";

// The sorted names in a folder; with an ending (".ts"), those of the files with it, without it.
inline std::vector<std::string> SortedNames(const std::filesystem::path& folder,
                                            const std::string& ending = "") {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (ending.empty() || e.path().extension() == ending)
            out.push_back((ending.empty() ? e.path().filename() : e.path().stem()).string());
    std::sort(out.begin(), out.end());
    return out;
}

// The packet identifier of the first packet that starts a video PES, or -1.
inline int VideoPid(const std::string& ts) {
    for (std::size_t p = 0; p + 188 <= ts.size(); p += 188) {
        auto b = reinterpret_cast<const std::uint8_t*>(ts.data() + p);
        if (b[0] != 0x47 || !(b[1] & 0x40))
            continue;
        std::size_t start = (b[3] & 0x20) ? 5u + b[4] : 4u;
        if (start + 4 <= 188 && b[start] == 0 && b[start + 1] == 0 && b[start + 2] == 1 &&
            (b[start + 3] & 0xF0) == 0xE0)
            return ((b[1] & 0x1F) << 8) | b[2];
    }
    return -1;
}

// The same stream with the scrambling bits (10) set on every packet of the video PID.
inline std::string ScrambleVideo(std::string ts) {
    int pid = VideoPid(ts);
    for (std::size_t p = 0; p + 188 <= ts.size(); p += 188) {
        auto b = reinterpret_cast<std::uint8_t*>(ts.data() + p);
        if ((((b[1] & 0x1F) << 8) | b[2]) == pid)
            b[3] = static_cast<std::uint8_t>((b[3] & 0x3F) | 0x80);
    }
    return ts;
}

// The packets of the video PID from the first one on, at most maxBytes.
inline std::string VideoPackets(const std::string& ts, std::size_t maxBytes) {
    int pid = VideoPid(ts);
    std::string out;
    for (std::size_t p = 0; p + 188 <= ts.size() && out.size() + 188 <= maxBytes; p += 188) {
        auto b = reinterpret_cast<const std::uint8_t*>(ts.data() + p);
        if ((((b[1] & 0x1F) << 8) | b[2]) == pid)
            out.append(ts, p, 188);
    }
    return out;
}

}  // namespace fixtures
