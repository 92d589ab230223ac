// Game and plug-in images: the header read from bytes written out by hand, the file choice
// rules, and installs against the emulated receiver (accepted, refused, too little room, and a
// receiver that does not acknowledge).

#include <gtest/gtest.h>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/upgrade/GameInstaller.h"

using namespace velkport::upgrade;
namespace fs = std::filesystem;
using receiversim::CommandSession;

namespace {

// "VKGame", A = 01 02, B = 03 04, name "Tetris", GUID 0A..11, version 01 00 02 00 00 00 00 FF,
// installed size 1,234,567 = 0x0012D687 little-endian at 90.
std::string HandMadeHeader() {
    std::string h(478, '\0');
    h.replace(0, 6, "VKGame");
    h[6] = 1, h[7] = 2, h[8] = 3, h[9] = 4;
    h.replace(10, 6, "Tetris");
    for (int i = 0; i < 8; ++i)
        h[42 + i] = static_cast<char>(0x0A + i);
    h[50] = 1, h[52] = 2, h[57] = static_cast<char>(0xFF);
    h[90] = static_cast<char>(0x87), h[91] = static_cast<char>(0xD6), h[92] = 0x12;
    return h;
}

using DummyProgress = velkport::shell::NullProgress;

class GameInstallerTest : public ::testing::Test {
  protected:
    void start(std::uint64_t diskMiB = 250000, bool refuse = false) {
        table_.ShutdownChannels();
        receiversim::SimOptions o;
        o.diskSizeMiB = diskMiB;
        o.refuseGames = refuse;
        sim_ = std::make_unique<fixtures::RunningSim>(o);
        ASSERT_TRUE(sim_->ok()) << sim_->error();
        table_.InitialiseChannels("127.0.0.1", (*sim_)->portBase());
        table_.setTimeLimit(std::chrono::seconds(5));
    }
    void TearDown() override { table_.ShutdownChannels(); }
    int install(const std::string& image) {
        fixtures::writeFile(dir_ / "game.img", image);
        GameInstaller g(table_, prompter_);
        EXPECT_EQ(g.ChooseFile(dir_ / "game.img"), GameInstaller::Choice::Accepted);
        DummyProgress p;
        return g.Install(p);
    }
    std::unique_ptr<fixtures::RunningSim> sim_;
    fixtures::TempDir dir_;
    velkport::link::ChannelTable table_;
    fixtures::RecordingPrompter prompter_;
};

}  // namespace

TEST(GameHeader, FieldsAndLinesFromHandMadeBytes) {
    const std::string raw = HandMadeHeader();
    GameHeader h;
    ASSERT_TRUE(GameHeader::Parse(
        std::span(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()), h));
    EXPECT_EQ(h.NameLine(), " GAME NAME : Tetris");
    EXPECT_EQ(h.VersionLine(), " GAME VERSION : 01:00:02:00:00:00:00:FF");
    EXPECT_EQ(h.SizeLine(), " GAME SIZE : 1,234,567");
    EXPECT_EQ(h.GuidLine(), " GAME GUID : 0A-0B-0C-0D-0E-0F-10-11");
    const auto built = h.Build();
    EXPECT_EQ(std::string(built.begin(), built.end()), raw);
    EXPECT_EQ(GroupThousands(999), "999");
    EXPECT_EQ(GroupThousands(1000), "1,000");
}

TEST(GameHeader, ChoiceOfFile) {
    fixtures::TempDir dir;
    fixtures::RecordingPrompter prompter;
    velkport::link::ChannelTable table;
    GameInstaller g(table, prompter);
    fixtures::writeFile(dir / "ok.img", HandMadeHeader() + "contents");
    std::string lower = HandMadeHeader();
    lower.replace(0, 6, "vkgame");
    fixtures::writeFile(dir / "lower.img", lower);
    fixtures::writeFile(dir / "short.img", HandMadeHeader().substr(0, 477));
    fixtures::writeFile(dir / "pkg.TAR.GZ", HandMadeHeader());

    EXPECT_EQ(g.ChooseFile(dir / "ok.img"), GameInstaller::Choice::Accepted);
    EXPECT_TRUE(g.accepted());
    // A refused signature leaves the flag as it was; a .tar.gz clears it without reading.
    EXPECT_EQ(g.ChooseFile(dir / "lower.img"), GameInstaller::Choice::SignatureFail);
    EXPECT_EQ(g.ChooseFile(dir / "short.img"), GameInstaller::Choice::SignatureFail);
    EXPECT_TRUE(g.accepted());
    EXPECT_EQ(g.ChooseFile(dir / "pkg.TAR.GZ"), GameInstaller::Choice::Ignored);
    EXPECT_FALSE(g.accepted());
    DummyProgress p;
    EXPECT_EQ(g.Install(p), velkport::media::kTransferFailed);  // Start does nothing
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"Signature fail", "Signature fail"}));
}

TEST(GameHeader, RoomIsTheDifferenceOfTheAnswersValues) {
    GameInstaller::Answer a;
    a.p = 10, a.q = 100;  // 90 KB free
    EXPECT_TRUE(a.Fits(5000));
    EXPECT_TRUE(a.Fits(90 * 1024));
    EXPECT_FALSE(a.Fits(90 * 1024 + 1));
    a.p = 200;  // more used than there is: nothing fits
    EXPECT_FALSE(a.Fits(1));
}

TEST_F(GameInstallerTest, ImageIsStoredWholeOnTheReceiver) {
    start();
    const std::string image = HandMadeHeader() + fixtures::randomBytes(3 * 65523 + 7);
    ASSERT_EQ(install(image), velkport::media::kTransferDone);
    EXPECT_EQ(fixtures::readFile(*sim_ / "games/Tetris.img"), image);
    // A bare header sends the transfer command and the closing block only.
    ASSERT_EQ(install(HandMadeHeader()), velkport::media::kTransferDone);
    EXPECT_EQ(fixtures::readFile(*sim_ / "games/Tetris.img"), HandMadeHeader());
    EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(GameInstallerTest, RefusalAndTooLittleRoomStopBeforeTheTransfer) {
    start(250000, true);
    EXPECT_EQ(install(HandMadeHeader() + "x"), velkport::media::kTransferFailed);
    EXPECT_FALSE(fs::exists(*sim_ / "games/Tetris.img"));
    start(1);  // 1 MB disk, the header says 1,234,567 bytes
    EXPECT_EQ(install(HandMadeHeader() + "x"), velkport::media::kTransferFailed);
    EXPECT_EQ(prompter_.texts(),
              (std::vector<std::string>{"Game can not be installed",
                                        "There is not not enough disk space in Game"}));
    EXPECT_FALSE(fs::exists(*sim_ / "games/Tetris.img"));
}

TEST_F(GameInstallerTest, AnswerWithoutAcknowledgementEndsTheInstall) {
    start();
    bool transferred = false;
    (*sim_)->registerCommand(
        velkport::link::cmd::kGameInstallQuery,
        [](CommandSession& s, std::uint8_t, std::uint32_t) {
            std::vector<std::uint8_t> b(1024);
            s.receive(b.data(), b.size());
            GameInstaller::Answer a;  // acknowledgement 0, everything else would pass
            a.q = 1u << 30;
            const auto bytes = a.Build();
            s.send(bytes.data(), bytes.size());
            s.sendReply(0, 0, 0);
        },
        velkport::link::channel::kGame);
    (*sim_)->registerCommand(
        velkport::link::cmd::kGameInstallTransfer,
        [&](CommandSession& s, std::uint8_t, std::uint32_t) {
            transferred = true;
            s.drop();
        },
        velkport::link::channel::kGame);
    EXPECT_EQ(install(HandMadeHeader()), velkport::media::kTransferFailed);
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"Receive error"});
    EXPECT_FALSE(transferred);
}
