#include "corvid/sharing/VlcStreamer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/SubtitleFile.h"
#include "corvid/sharing/tests/StreamWatcher.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::sharing {
namespace {

using namespace std::chrono_literals;

// A Windows-1252 subtitle is copied as UTF-8 with the byte order mark; one in UTF-8 with the
// mark is named as it is; .smi comes before .smil.
TEST(SubtitleFileTest, OnlyASubtitleThatIsNotUtf8IsCopiedAndSmiComesBeforeSmil) {
    fixtures::TempDir dir;
    fixtures::writeFile(dir / "Film.avi", "");
    fixtures::writeFile(dir / "Film.smil", "other");
    fixtures::writeFile(dir / "Film.smi",
                        "<P>Caf\xE9 \x80 5\x96"
                        "6 \x81</P>\r\n");
    fixtures::writeFile(dir / "Clip.smil", "\xEF\xBB\xBF<P>Caf\xC3\xA9</P>");
    const auto found = SubtitleFile::Find(dir / "Film.avi");
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, dir / "Film.smi");
    const auto prepared = SubtitleFile::Prepare(*found);
    ASSERT_TRUE(prepared);
    EXPECT_TRUE(prepared->temporary);
    EXPECT_EQ(prepared->path, dir / "Film.smi.tmp");
    EXPECT_EQ(fixtures::readFile(prepared->path),
              "\xEF\xBB\xBF<P>Caf\xC3\xA9 \xE2\x82\xAC 5\xE2\x80\x93"
              "6 \xEF\xBF\xBD</P>\r\n");

    const auto clip = SubtitleFile::Find(dir / "Clip.mkv");
    ASSERT_TRUE(clip);
    const auto kept = SubtitleFile::Prepare(*clip);
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept->temporary);
    EXPECT_EQ(kept->path, dir / "Clip.smil");
    EXPECT_FALSE(std::filesystem::exists(dir / "Clip.smil.tmp"));
    EXPECT_FALSE(SubtitleFile::Find(dir / "Other.avi"));
}

class VlcStreamerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
        settings.vlcPath.clear();
    }
    fixtures::TempDir dir;
    fixtures::TempDir config;
    SharingSettings settings{config.path()};
};

TEST_F(VlcStreamerTest, MissingOrFailingVlcIsReportedAndLeavesNothingBehind) {
    fixtures::writeFile(dir / "Film.avi", "");
    fixtures::writeFile(dir / "Film.smi", "Caf\xE9");
    fixtures::writeFile(dir / "Clip.avi", "");
    fixtures::writeFile(dir / "Clip.smi", "\xEF\xBB\xBFok");
    if (::geteuid() == 0)
        ::setenv("CORVID_VLC_USER", "nobody", 0);
    VlcStreamer streamer(settings);
    for (const char* program : {"/nonexistent/vlc", "/bin/false"}) {
        streamer.SetProgram(program);
        std::string error;
        EXPECT_FALSE(streamer.Play("127.0.0.1", dir / "Film.avi", &error)) << program;
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(streamer.Running());
        EXPECT_FALSE(std::filesystem::exists(dir / "Film.smi.tmp")) << program;
        EXPECT_FALSE(streamer.Play("127.0.0.1", dir / "Clip.avi", &error));
        EXPECT_TRUE(std::filesystem::exists(dir / "Clip.smi")) << "a UTF-8 subtitle is kept";
    }
}

TEST_F(VlcStreamerTest, SteerCommandsAreVlcJumpsAndPause) {
    EXPECT_EQ(VlcStreamer::SteerCommand(1), nullptr);
    EXPECT_STREQ(VlcStreamer::SteerCommand(2), "key key-jump+medium");
    EXPECT_STREQ(VlcStreamer::SteerCommand(5), "key key-jump-long");
    EXPECT_STREQ(VlcStreamer::SteerCommand(6), "pause");
    EXPECT_STREQ(VlcStreamer::SteerCommand(8), "key key-jump-short");
    EXPECT_EQ(VlcStreamer::SteerCommand(9), nullptr);
}

// A real VLC from Debian's vlc-bin, as an ordinary user, streaming to a UDP port on loopback.
class RealVlcTest : public VlcStreamerTest {
  protected:
    void SetUp() override {
        VlcStreamerTest::SetUp();
        if (!programOnPath("vlc") || !programOnPath("ffmpeg"))
            GTEST_SKIP() << "needs vlc (vlc-bin, vlc-plugin-base) and ffmpeg";
        if (::geteuid() == 0)
            ::setenv("CORVID_VLC_USER", "nobody", 0);  // VLC refuses to run as root
        ASSERT_NE(watcher.port(), 0);
    }
    std::filesystem::path film(const char* seconds) {
        const auto file = dir / "Film.mpg";
        EXPECT_TRUE(StreamWatcher::MakeFilm(file, seconds));
        fixtures::writeFile(dir / "Film.smi", "<SAMI><P>Caf\xE9</P></SAMI>");
        return file;
    }
    StreamWatcher watcher;
};

TEST_F(RealVlcTest, StreamsTransportPacketsToUdpThenPausesAndStops) {
    const auto file = film("30");
    VlcStreamer streamer(settings);
    streamer.SetUdpPort(watcher.port());
    std::string error;
    ASSERT_TRUE(streamer.Play("127.0.0.1", file, &error)) << error;
    EXPECT_TRUE(std::filesystem::exists(dir / "Film.smi.tmp"));
    const auto seen = watcher.pids(20s, {68, 69});
    EXPECT_TRUE(seen.count(68)) << "audio PID";
    EXPECT_TRUE(seen.count(69)) << "video PID";

    EXPECT_TRUE(streamer.Steer(6));
    // VLC reports the pause once it has taken effect.
    std::string status;
    for (int i = 0; i < 30 && status.find("Type 'pause' to continue") == std::string::npos; ++i) {
        EXPECT_TRUE(streamer.process().Command("status", &status));
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_NE(status.find("Type 'pause' to continue"), std::string::npos) << status;

    const pid_t vlc = streamer.process().pid();
    streamer.Stop();
    EXPECT_FALSE(streamer.Running());
    EXPECT_NE(::kill(vlc, 0), 0) << "VLC ended and was reaped";
    EXPECT_FALSE(std::filesystem::exists(dir / "Film.smi.tmp"));
    EXPECT_FALSE(streamer.Steer(6));
}

// The VLC programs whose parent is this process.
int vlcChildren() {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = fixtures::readFile(entry.path() / "stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos || stat.find("(vlc)") == std::string::npos)
            continue;
        if (std::stol(stat.substr(close + 4)) == ::getpid())  // ") S PPID"
            ++n;
    }
    return n;
}

TEST_F(RealVlcTest, PlayRequestsAtOnceLeaveOneVlc) {
    const auto file = film("30");
    VlcStreamer streamer(settings);
    streamer.SetUdpPort(watcher.port());
    std::thread other([&] { streamer.Play("127.0.0.1", file); });
    streamer.Play("127.0.0.1", file);
    other.join();
    EXPECT_TRUE(streamer.Running());
    EXPECT_EQ(vlcChildren(), 1);
    streamer.Stop();
    EXPECT_EQ(vlcChildren(), 0);
}

TEST_F(RealVlcTest, VlcEndingByItselfIsReapedAndTakesItsSubtitleCopy) {
    const auto file = film("1");
    VlcStreamer streamer(settings);
    streamer.SetUdpPort(watcher.port());
    std::string error;
    ASSERT_TRUE(streamer.Play("127.0.0.1", file, &error)) << error;
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (streamer.Running() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(streamer.Running());
    EXPECT_FALSE(std::filesystem::exists(dir / "Film.smi.tmp"));
}

}  // namespace
}  // namespace corvid::sharing
