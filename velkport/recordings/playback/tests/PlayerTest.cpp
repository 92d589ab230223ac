#include "velkport/recordings/playback/Player.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "tests/fixtures/PlaybackMedia.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/recordings/playback/PartStream.h"
#include "velkport/recordings/playback/Playlist.h"
#include "velkport/shell/base/MessageCatalogue.h"

using namespace velkport::recordings::playback;
using velkport::shell::Msg;
namespace fs = std::filesystem;

namespace {

// Files made once: tv.ts (MPEG audio), ac3.ts, radio.rts, a.mp3, and the split recording
// split.ts + split_1.ts.ots (the whole of tv.ts cut at a packet boundary, header behind part 1).
class PlayerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<fixtures::TempDir>();
        ASSERT_TRUE(fixtures::MakeTv(*dir / "tv.ts", "mp2"));
        ASSERT_TRUE(fixtures::MakeTv(*dir / "ac3.ts", "ac3"));
        ASSERT_TRUE(fixtures::MakeRadio(*dir / "radio.rts"));
        ASSERT_TRUE(fixtures::MakeMp3(*dir / "a.mp3"));
        std::string ts = fixtures::readFile(*dir / "tv.ts");
        std::size_t cut = ts.size() / 188 / 2 * 188;
        fixtures::writeFile(*dir / "split.ts", ts.substr(0, cut));
        fixtures::AppendTailHeader(*dir / "split.ts");
        fixtures::writeFile(*dir / "split_1.ts.ots", ts.substr(cut));
    }
    static void TearDownTestSuite() { dir.reset(); }

    // Plays a file with fake sinks until it stops or fails, at most limit.
    PlayerState playToEnd(Player& player, const fs::path& file,
                          std::chrono::seconds limit = std::chrono::seconds(20)) {
        player.SetStallLimit(std::chrono::milliseconds(3000));
        if (!player.OpenRecording(file))
            return player.state();
        auto end = std::chrono::steady_clock::now() + limit;
        while (player.state() == PlayerState::Playing && std::chrono::steady_clock::now() < end)
            player.Poll(std::chrono::milliseconds(20));
        return player.state();
    }

    // sync: in real time rather than as fast as the sinks take it.
    static GraphOptions fakeSinks(bool sync = false) {
        GraphOptions o;
        o.videoSink = o.audioSink = "fakesink";
        o.sync = sync;
        return o;
    }

    static inline std::unique_ptr<fixtures::TempDir> dir;
    fixtures::RecordingPrompter prompter;
};

TEST_F(PlayerTest, EveryKindPlaysToItsEndWithFakeSinks) {
    for (const char* name : {"tv.ts", "ac3.ts", "radio.rts", "a.mp3", "split.ts"}) {
        SCOPED_TRACE(name);
        Player player(prompter, fakeSinks());
        EXPECT_EQ(playToEnd(player, *dir / name), PlayerState::Stopped) << player.errorText();
        EXPECT_EQ(player.hasVideo(), std::string(name).find(".ts") != std::string::npos);
    }
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(PlayerTest, SplitRecordingPlaysItsPartsInOrderWithoutTheHeaderCopy) {
    std::vector<std::array<int, 3>> frames;  // blue, green, red of each picture's centre
    GraphOptions options = fakeSinks();
    options.onFrame = [&](const VideoFrame& f) {
        const std::uint8_t* p = f.data + (f.height / 2) * f.stride + (f.width / 2) * 4;
        frames.push_back({p[0], p[1], p[2]});
    };
    Player player(prompter, options);
    ASSERT_EQ(playToEnd(player, *dir / "split.ts"), PlayerState::Stopped) << player.errorText();
    ASSERT_GE(frames.size(), 45u);
    EXPECT_GT(frames.front()[2], 150);  // red first
    EXPECT_GT(frames.back()[0], 150);   // blue last

    Player whole(prompter, fakeSinks());
    whole.SetStallLimit(std::chrono::seconds(5));
    ASSERT_TRUE(whole.OpenRecording(*dir / "split.ts"));
    whole.Pause();
    double sum = 0;
    for (int i = 0; i < 100 && sum == 0; ++i) {
        whole.Poll(std::chrono::milliseconds(20));
        sum = whole.duration();
    }
    EXPECT_NEAR(sum, 2.0, 0.15);
    EXPECT_EQ(whole.PositionText().substr(0, 2), "  ");
    EXPECT_EQ(whole.PositionText().substr(whole.PositionText().size() - 8), "/0:00:02");
}

TEST_F(PlayerTest, LinkedFileAndNextPlayFromTheChosenPartOn) {
    int firstBlue = -1;  // the blue value of the first picture after each open
    GraphOptions options = fakeSinks();
    options.onFrame = [&](const VideoFrame& f) {
        if (firstBlue < 0)
            firstBlue = f.data[(f.height / 2) * f.stride + (f.width / 2) * 4];
    };
    Player player(prompter, options);
    player.SetStallLimit(std::chrono::seconds(3));
    ASSERT_TRUE(player.OpenRecording(*dir / "split.ts"));
    ASSERT_TRUE(player.PlayLinkedFile(1));
    firstBlue = -1;
    for (int i = 0; i < 500 && player.state() == PlayerState::Playing; ++i)
        player.Poll(std::chrono::milliseconds(10));
    EXPECT_EQ(player.state(), PlayerState::Stopped);
    EXPECT_GT(firstBlue, 150);  // the part holds the blue second only
    player.Next();              // past the last file: back to the first, nothing opened
    EXPECT_EQ(player.current(), 0u);
    EXPECT_FALSE(player.isOpen());
    player.Next();
    EXPECT_EQ(player.current(), 1u);
    EXPECT_EQ(player.state(), PlayerState::Playing);
}

TEST_F(PlayerTest, MissingElementIsNamedWithItsPackage) {
    GraphOptions options = fakeSinks();
    options.audioSink = "nosuchsink";
    auto missing = FindMissingElement(MediaKind::Radio, options);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->element, "nosuchsink");
    for (const auto& need : ElementsFor(MediaKind::Tv, fakeSinks()))
        EXPECT_FALSE(need.package.empty()) << need.element;
    for (const auto& need : ElementsFor(MediaKind::Radio, fakeSinks()))
        EXPECT_NE(need.element, "avdec_mpeg2video");
    Player player(prompter, options);
    EXPECT_FALSE(player.OpenRecording(*dir / "radio.rts"));
    EXPECT_NE(player.errorText().find("nosuchsink"), std::string::npos);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{Msg(222), Msg(221)}));
}

TEST_F(PlayerTest, SeekMovesThePositionAndStopGoesBackToTheStart) {
    Player player(prompter, fakeSinks(true));  // in real time, so that it does not end meanwhile
    ASSERT_TRUE(player.OpenRecording(*dir / "tv.ts"));
    player.BeginSeek();
    EXPECT_EQ(player.state(), PlayerState::Paused);
    for (int i = 0; i < 100 && !player.settled(); ++i)
        player.Poll(std::chrono::milliseconds(10));
    ASSERT_TRUE(player.Seek(1.2));
    player.Poll(std::chrono::milliseconds(300));
    EXPECT_NEAR(player.position(), 1.2, 0.05);
    player.Stop();
    player.Poll(std::chrono::milliseconds(300));
    EXPECT_EQ(player.state(), PlayerState::Stopped);
    // Back at the stream's first time stamp (ffmpeg's streams start 0.7 s in).
    EXPECT_LT(player.position(), 0.8);
}

TEST_F(PlayerTest, StreamOfARecordingLeavesTheHeaderOutAndJoinsTheParts) {
    PartStream stream;
    ASSERT_TRUE(stream.open(RecordingPlaylist(*dir / "split.ts"), MediaKind::Tv));
    std::string whole = fixtures::readFile(*dir / "tv.ts");
    ASSERT_EQ(stream.length(), whole.size());
    std::string middle(5000, '\0');
    std::size_t at = whole.size() / 188 / 2 * 188 - 2500;
    ASSERT_EQ(stream.read(at, middle.data(), middle.size()), 5000);
    EXPECT_EQ(middle, whole.substr(at, 5000));
    EXPECT_EQ(stream.read(stream.length(), middle.data(), 10), 0);
}

TEST_F(PlayerTest, FilesThatCannotBePlayedEndInTheErrorStateWithBothMessages) {
    // No playable kind: refused at once.
    fixtures::writeFile(*dir / "x.avi", fixtures::readFile(*dir / "tv.ts"));
    Player player(prompter, fakeSinks());
    EXPECT_FALSE(player.OpenRecording(*dir / "x.avi"));
    EXPECT_EQ(player.state(), PlayerState::Error);
    // A transport stream file that is none: the graph fails on it.
    fixtures::writeFile(*dir / "noise.ts", fixtures::randomBytes(100000, 7));
    EXPECT_EQ(playToEnd(player, *dir / "noise.ts"), PlayerState::Error);
    EXPECT_FALSE(player.isOpen());
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{Msg(222), Msg(221), Msg(222), Msg(221)}));
}

TEST_F(PlayerTest, VolumeMovesInStepsOfFiveWithinZeroAndHundred) {
    Player player(prompter, fakeSinks());
    EXPECT_EQ(player.volume(), 100);
    player.VolumeUp();
    EXPECT_EQ(player.volume(), 100);
    player.SetVolume(3);
    player.VolumeDown();
    EXPECT_EQ(player.volume(), 0);
    player.VolumeUp();
    EXPECT_EQ(player.volume(), 5);
}

TEST_F(PlayerTest, RepeatAndRepeatAllExcludeEachOtherAndRepeatPlaysAgain) {
    Player player(prompter, fakeSinks());
    player.SetRepeat(true);
    player.SetRepeatAll(true);
    EXPECT_FALSE(player.repeat());
    player.SetRepeat(true);
    EXPECT_FALSE(player.repeatAll());
    ASSERT_TRUE(player.OpenRecording(*dir / "radio.rts"));
    bool stopped = false;
    for (int i = 0; i < 200 && !stopped; ++i) {
        player.Poll(std::chrono::milliseconds(20));
        stopped = player.state() != PlayerState::Playing;
    }
    EXPECT_FALSE(stopped);  // it came round again instead of stopping
}

TEST_F(PlayerTest, CorruptedCopiesOfARecordingNeverHang) {
    std::string good = fixtures::readFile(*dir / "tv.ts");
    std::mt19937 random(1234);
    for (int copy = 0; copy < 20; ++copy) {
        std::string bad = good;
        for (int i = 0; i < 200; ++i)
            bad[random() % bad.size()] = static_cast<char>(random());
        if (copy % 4 == 3)
            bad.resize(random() % bad.size());
        fs::path file = *dir / ("bad" + std::to_string(copy) + ".ts");
        fixtures::writeFile(file, bad);
        Player player(prompter, fakeSinks());
        auto start = std::chrono::steady_clock::now();
        PlayerState end = playToEnd(player, file, std::chrono::seconds(15));
        EXPECT_TRUE(end == PlayerState::Stopped || end == PlayerState::Error) << copy;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << copy;
    }
}

}  // namespace
