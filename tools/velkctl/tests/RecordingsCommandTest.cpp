// velkctl recordings and thumbnail, run as a program against the emulated receiver.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/ByteOrder.h"
#include "common/Socket.h"
#include "tools/velkctl/tests/VelkctlRunner.h"
#include "velkport/recordings/tests/TestMedia.h"

namespace {

namespace fs = std::filesystem;
using velkctl::testing::Outcome;

constexpr std::size_t kBlock = 48128;

// A recording's stream, made once for all the tests: over 1 MiB (smaller downloads are not
// kept) and in whole blocks; empty when ffmpeg could not make it.
const std::string& Tv() {
    static const std::string tv = fixtures::RecordingStream(10, kBlock);
    return tv;
}

class RecordingsCommand : public velkctl::testing::VelkctlOnSim {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(VelkctlOnSim::SetUp());
        ASSERT_GT(tv_.size(), 24 * kBlock);
        sim_.addRecording(false, "REC1", tv_,
                          R"({"channelNumber": 7, "channelName": "Kanal Sieben",
                              "title": "News", "start": 1700000000, "duration": 3725})");
        sim_.addRecording(true, "RAD1", tv_.substr(0, 30 * kBlock),
                          R"({"title": "Jazz", "channelName": "Radio\tOne", "scrambled": 1})");
    }
    const std::string& tv_ = Tv();
};

bool IsPng180x144(const fs::path& p) {
    std::string b = fixtures::readFile(p);
    if (b.size() < 24 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return false;
    auto u = reinterpret_cast<const std::uint8_t*>(b.data());
    return common::loadBe32(u + 16) == 180 && common::loadBe32(u + 20) == 144;
}

}  // namespace

TEST_F(RecordingsCommand, ListPrintsOneTabSeparatedLinePerRecording) {
    Outcome o = Run({"recordings", "list", "--tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "News\t7\tKanal Sieben\t14.11.2023-22:13:20\t1:02:05\t0\tREC1\n");
    o = Run({"recordings", "list", "--radio", "--tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.substr(0, 17), "Jazz\t0\tRadio One\t");
    EXPECT_NE(o.out.find("\t0:00:00\t1\tRAD1\n"), std::string::npos);
}

TEST_F(RecordingsCommand, DownloadUploadAndThumbnailsRoundTrip) {
    Outcome o = Run({"recordings", "download", "REC1", "--to", local_.path().string()});
    ASSERT_EQ(o.status, 0) << o.err;
    const fs::path file = local_ / "Kanal Sieben_News_REC1.ts";
    EXPECT_EQ(o.out, file.string() + "\n");

    o = Run({"thumbnail", file.string(), "--out", (local_ / "pc.png").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.substr(0, 5), "News\n");
    EXPECT_TRUE(IsPng180x144(local_ / "pc.png"));
    o = Run({"thumbnail", "REC1", "--out", (local_ / "rx.png").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(IsPng180x144(local_ / "rx.png"));

    o = Run({"recordings", "upload", file.string()});
    ASSERT_EQ(o.status, 0) << o.err;
    // The name printed is the new recording's, and the stream went through the download whole.
    std::string name = o.out.substr(0, o.out.find('\n'));
    EXPECT_EQ(fixtures::readFile(sim_ / "recordings/tv" / (name + ".ts")), tv_);
}

TEST_F(RecordingsCommand, RenameAndDeleteOnTheReceiver) {
    Outcome o = Run({"recordings", "rename", "REC1", "Evening"});
    ASSERT_EQ(o.status, 0) << o.err;
    o = Run({"recordings", "list", "--tsv"});
    EXPECT_EQ(o.out.substr(0, 8), "Evening\t");
    o = Run({"recordings", "rename", "REC1", "Bad:Name"});
    EXPECT_EQ(o.status, 1);
    o = Run({"recordings", "delete", "NOPE"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("NOPE"), std::string::npos);
    o = Run({"recordings", "delete", "REC1"});
    ASSERT_EQ(o.status, 0) << o.err;
    o = Run({"recordings", "list", "--tsv"});
    EXPECT_EQ(o.out, "");
}

TEST_F(RecordingsCommand, CtrlCCancelsADownloadLikeTheCancelButtonAndExits130) {
    sim_.addRecording(false, "SLOW", tv_, R"({"title": "Slow", "blockDelayMs": 100})");
    Outcome o = Run({"recordings", "download", "SLOW", "--to", local_.path().string()},
                    std::chrono::milliseconds(700));
    EXPECT_EQ(o.status, 130) << o.err << o.out;
    for (const auto& e : fs::directory_iterator(local_.path()))
        ADD_FAILURE() << e.path();
    EXPECT_EQ(Run({"recordings", "list", "--tsv"}).status, 0);  // the channel was closed properly
}

TEST_F(RecordingsCommand, EveryFailureSaysWhyAndAThumbnailNeverDeletesTheFile) {
    common::Socket probe = common::Socket::listenTcp("127.0.0.1", 0);
    const int freePort = probe.localPort();
    probe.close();
    Outcome o = Run({"recordings", "list"}, {}, freePort - 5);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("cannot reach the receiver at 127.0.0.1 port " + std::to_string(freePort)),
              std::string::npos)
        << o.err;
    fixtures::writeFile(local_ / "short.ts", std::string(47, 's'));
    o = Run({"thumbnail", (local_ / "short.ts").string(), "--out", (local_ / "x.png").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(fs::exists(local_ / "short.ts"));
}

TEST_F(RecordingsCommand, CommandLineMistakesAreUsageErrors) {
    EXPECT_EQ(Run({"recordings"}).status, 2);
    EXPECT_EQ(Run({"recordings", "rename", "REC1"}).status, 2);
    EXPECT_EQ(Run({"recordings", "list", "--bogus"}).status, 2);
    EXPECT_EQ(Run({"thumbnail", "REC1"}).status, 2);
}
