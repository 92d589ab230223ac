#include <gtest/gtest.h>

#include "tests/fixtures/PlaybackMedia.h"
#include "tools/velkctl/tests/VelkctlRunner.h"

using velkctl::testing::RunVelkctl;

namespace {

const std::vector<std::string> kFakeSinks{"--video-sink", "fakesink", "--audio-sink",
                                          "fakesink",     "--lang",   "ENG"};

std::vector<std::string> Play(const std::string& file, std::vector<std::string> more = {}) {
    std::vector<std::string> args{"play", file};
    args.insert(args.end(), kFakeSinks.begin(), kFakeSinks.end());
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Every kind of file playing to its end is checked on the player itself.
TEST(PlayCommandTest, PlaysARecordingToItsEndOrForTheGivenSeconds) {
    fixtures::TempDir dir;
    ASSERT_TRUE(fixtures::MakeTv(dir / "tv.ts", "ac3"));
    auto run = RunVelkctl(Play((dir / "tv.ts").string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("state: Play\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("state: Stop\n"), std::string::npos) << run.out;
    // In real time, ended by --seconds with the position printed once a second.
    run = RunVelkctl({"play", (dir / "tv.ts").string(), "--video-sink", "fakesink sync=true",
                      "--audio-sink", "fakesink sync=true", "--seconds", "1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("position:  0:00:0"), std::string::npos) << run.out;
}

TEST(PlayCommandTest, RefusesFilesOfNoPlayableKindAndNamesAMissingElement) {
    fixtures::TempDir dir;
    fixtures::writeFile(dir / "film.avi", "not a recording");
    auto run = RunVelkctl(Play((dir / "film.avi").string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Can not get interface. Reinstall is necessary after rebooting\n"
                           "Media file open fail"),
              std::string::npos)
        << run.err;
    ASSERT_TRUE(fixtures::MakeRadio(dir / "r.rts"));
    run = RunVelkctl({"play", (dir / "r.rts").string(), "--audio-sink", "nosuchsink"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("\"nosuchsink\" is missing"), std::string::npos) << run.err;
    EXPECT_EQ(RunVelkctl({"play"}).status, 2);
}

}  // namespace
