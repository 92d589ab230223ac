#pragma once
// Small media files for the playback tests, made with ffmpeg once per test program.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/fixtures/TempDir.h"

namespace fixtures {

// Runs ffmpeg with the given inputs and output options; true when the file was made.
inline bool Ffmpeg(const std::string& args, const std::filesystem::path& out) {
    std::string cmd = "ffmpeg -nostdin -loglevel error -y " + args + " '" + out.string() + "'";
    return std::system(cmd.c_str()) == 0 && std::filesystem::exists(out);
}

// Two seconds of 176x144 MPEG-2 video, red in the first second and blue in the second, with
// audio of the given codec ("mp2", "ac3") or none (""), as a transport stream.
inline bool MakeTv(const std::filesystem::path& out, const std::string& audio) {
    std::string in =
        "-f lavfi -i 'color=c=red:s=176x144:r=25:d=1[a];color=c=blue:s=176x144:r=25:d=1[b];"
        "[a][b]concat=n=2:v=1:a=0[out0]'";
    if (!audio.empty())
        in += " -f lavfi -i sine=sample_rate=48000:duration=2 -c:a " + audio + " -ac 2";
    return Ffmpeg(in + " -c:v mpeg2video -b:v 400k -g 5 -bf 0 -f mpegts", out);
}

inline bool MakeRadio(const std::filesystem::path& out) {
    return Ffmpeg("-f lavfi -i sine=sample_rate=48000:duration=2 -c:a mp2 -f mpegts", out);
}

inline bool MakeMp3(const std::filesystem::path& out) {
    return Ffmpeg("-f lavfi -i sine=sample_rate=44100:duration=2 -c:a libmp3lame -b:a 64k -f mp3",
                  out);
}

// Appends a recording header copy and its trailer, as a download leaves them behind the stream.
inline void AppendTailHeader(const std::filesystem::path& file) {
    std::string header = "VELK";
    header += std::string("\0\0\0\x20", 4) + "Test title" + std::string(22, '\0');
    header += std::string("\0\0\0\x04", 4) + "text" + std::string(4, '\0');
    // A block that looks like transport-stream packets, to fool anyone who reads it as stream.
    header += std::string("\0\0\0\x01\0\0\0\0\0\0\0\xbc\0\0\0\x01\0\0\0\0", 20);
    header += std::string(188, '\x47');
    std::uint32_t n = static_cast<std::uint32_t>(header.size()) + 4;
    for (int i = 0; i < 4; ++i)
        header += static_cast<char>((n >> (8 * i)) & 0xFF);
    writeFile(file, readFile(file) + header);
}

}  // namespace fixtures
