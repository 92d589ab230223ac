#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/fixtures/PlaybackMedia.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/recordings/playback/ui/PlayerLauncher.h"
#include "velkport/recordings/playback/ui/PlayerWindow.h"
#include "velkport/recordings/playback/ui/VideoView.h"
#include "velkport/recordings/playback/ui/tests/OwnThreads.h"
#include "velkport/shell/base/MessageCatalogue.h"

using namespace velkport::recordings::playback;
namespace fs = std::filesystem;

namespace {

class PlayerWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<fixtures::TempDir>();
        ASSERT_TRUE(fixtures::MakeTv(*dir / "rec.ts", "mp2"));
        std::string ts = fixtures::readFile(*dir / "rec.ts");
        fixtures::writeFile(*dir / "rec_1.ts.ots", ts.substr(0, 188 * 40));
    }
    static void TearDownTestSuite() { dir.reset(); }

    static GraphOptions fakeSinks(bool sync) {
        GraphOptions o;
        o.audioSink = "fakesink";
        o.sync = sync;
        return o;
    }
    // Lets the window's timer run until the player leaves the state, at most limit.
    static void runWhile(PlayerWindow& w, PlayerState state, int limitMs = 15000) {
        for (int t = 0; t < limitMs && w.player().state() == state; t += 10) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        QApplication::processEvents();
    }

    static inline std::unique_ptr<fixtures::TempDir> dir;
    fixtures::RecordingPrompter prompter;
};

TEST_F(PlayerWindowTest, StateLineShowsEachStateInItsColour) {
    PlayerWindow w(prompter, fakeSinks(false));
    const struct {
        int state;
        const char* text;
        QColor colour;
    } cases[] = {{0, "Nothing", Qt::blue},     {1, "Ready", Qt::yellow}, {2, "Play", Qt::yellow},
                 {3, "BUFFERING", Qt::yellow}, {4, "PAUSE", Qt::green},  {5, "Stop", Qt::red},
                 {6, "BUFFERING", Qt::yellow}, {7, "ERROR", Qt::red},    {8, "Nothing", Qt::cyan},
                 {9, "Nothing", Qt::cyan},     {-1, "Nothing", Qt::cyan}};
    for (const auto& c : cases) {
        w.showState(c.state);
        EXPECT_EQ(w.stateLine()->text().toStdString(), c.text) << c.state;
        EXPECT_EQ(w.stateLine()->palette().color(QPalette::WindowText), c.colour) << c.state;
    }
}

TEST_F(PlayerWindowTest, RecordingPlaysInTheWindowToItsEnd) {
    PlayerWindow w(prompter, fakeSinks(false));
    w.show();
    ASSERT_TRUE(w.OpenRecording(*dir / "rec.ts"));
    ASSERT_EQ(w.linkedFileMenu()->actions().size(), 2);
    EXPECT_EQ(w.linkedFileMenu()->actions()[1]->text(), "rec_1.ts.ots");
    runWhile(w, PlayerState::Playing);
    EXPECT_EQ(w.stateLine()->text().toStdString(), "Stop");
    EXPECT_EQ(w.videoView()->frame().size(), QSize(176, 144));
    EXPECT_TRUE(w.positionLine()->text().startsWith("  0:00:0"));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(PlayerWindowTest, OpenOfAManagerWindowPlaysInItsOnePlayer) {
    QWidget owner;
    auto open = PlayerOpener(&owner, prompter);
    open(QString::fromStdString((*dir / "rec_1.ts.ots").string()));
    PlayerWindow* player = PlayerOf(&owner);
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->player().playlist().size(), 1u);
    open(QString::fromStdString((*dir / "rec.ts").string()));
    EXPECT_EQ(PlayerOf(&owner), player);
    EXPECT_EQ(player->player().playlist().size(), 2u);
}

TEST_F(PlayerWindowTest, ClosingTheWindowWhilePlayingStopsAndFreesTheGraph) {
    PlayerWindow w(prompter, fakeSinks(true));
    w.show();
    const std::size_t before = fixtures::OwnThreads();
    ASSERT_TRUE(w.OpenRecording(*dir / "rec.ts"));
    for (int i = 0; i < 150 && fixtures::OwnThreads() < before + 3; ++i)
        runWhile(w, PlayerState::Playing, 20);
    ASSERT_EQ(w.player().state(), PlayerState::Playing);
    EXPECT_GE(fixtures::OwnThreads(), before + 3);
    w.close();
    EXPECT_FALSE(w.player().isOpen());
    EXPECT_EQ(fixtures::OwnThreads(), before);
}

}  // namespace
