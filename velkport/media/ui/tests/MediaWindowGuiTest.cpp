// The MP3 and JPEG manager windows against the emulated receiver on loopback: the receiver list
// and tree, renames and their refusals, new folders, deletes, transfers through the worker,
// Back / Forward, Multi-View filling while the window keeps handling events, and closing.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/media/TransferResult.h"
#include "velkport/media/tests/TestPictures.h"
#include "velkport/media/ui/MediaWindow.h"
#include "velkport/shell/base/MessageCatalogue.h"

using namespace velkport::media;
namespace fs = std::filesystem;
using fixtures::readFile;
using fixtures::writeFile;

namespace {

class MediaWindowGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        velkport::shell::MessageCatalogue::instance().SetLanguage(velkport::shell::kEnglish);
        ASSERT_TRUE(sim.ok()) << sim.error();
        fs::create_directories(sim / "mp3/Album/Live");
        writeFile(sim / "mp3/song.mp3", std::string(1536, 's'));
        writeFile(sim / "mp3/tune.mp3", std::string(16000 * 65, 't'));
        table.InitialiseChannels("127.0.0.1", sim->portBase());
        table.setTimeLimit(std::chrono::seconds(5));
        setenv("XDG_RUNTIME_DIR", pc.path().c_str(), 1);
    }
    void TearDown() override {
        window.reset();
        table.ShutdownChannels();
        unsetenv("XDG_RUNTIME_DIR");
    }
    MediaWindow& open(MediaType type) {
        window = std::make_unique<MediaWindow>(
            type, table, prompter, true,
            [this](velkport::shell::ToolWindowEvent e) { closed.push_back(e.window); }, pc.path());
        return *window;
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        auto* list = window->receiverList();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            std::string row;
            for (int c = 0; c < 4; ++c)
                row += (c ? "|" : "") + list->topLevelItem(i)->text(c).toStdString();
            out.push_back(row);
        }
        return out;
    }
    int rowOf(const std::string& name) const {
        for (std::size_t i = 0; i < window->entries().size(); ++i)
            if (window->entries()[i].name == name)
                return static_cast<int>(i);
        return -1;
    }
    bool transfer(const std::function<void()>& start) {
        QSignalSpy done(window.get(), &MediaWindow::transferFinished);
        start();
        return done.wait(10000) && done.front().front().toInt() == kTransferDone;
    }

    fixtures::RunningSim sim;
    fixtures::TempDir pc;
    velkport::link::ChannelTable table;
    fixtures::RecordingPrompter prompter;
    std::unique_ptr<MediaWindow> window;
    std::vector<velkport::shell::Manager> closed;
};

}  // namespace

TEST_F(MediaWindowGuiTest, ReceiverListTreeAndDiskBar) {
    MediaWindow& w = open(MediaType::Mp3);
    EXPECT_EQ(w.windowTitle(), "MP3 Manager");
    EXPECT_TRUE(w.button(MediaButton::MultiView)->isHidden());
    EXPECT_EQ(rows(), (std::vector<std::string>{"Album|||", "song.mp3|2KB|Mp3|00:00",
                                                "tune.mp3|1,016KB|Mp3|01:05"}));
    auto* top = w.receiverTree()->topLevelItem(0);
    ASSERT_EQ(top->childCount(), 1);
    EXPECT_EQ(top->child(0)->child(0)->text(0), "Live");
    EXPECT_EQ(w.diskBar()->maximum(), 250000);
    w.enterReceiverFolder({"Album"});
    EXPECT_EQ(rows(), std::vector<std::string>{"Live|||"});
    w.go(false);  // Back: the receiver's top again
    EXPECT_EQ(rows().size(), 3u);
    w.go(true);
    EXPECT_EQ(rows(), std::vector<std::string>{"Live|||"});
}

TEST_F(MediaWindowGuiTest, RenameNewFolderAndDeleteFollowTheRules) {
    MediaWindow& w = open(MediaType::Mp3);
    EXPECT_FALSE(w.renameReceiverRow(rowOf("song.mp3"), "song.wav"));
    EXPECT_FALSE(w.renameReceiverRow(rowOf("song.mp3"), "Tune.MP3"));
    EXPECT_TRUE(w.renameReceiverRow(rowOf("song.mp3"), "hit"));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"Can not change extension",
                                        "A file with the name you specified already exists. "
                                        "Specify a different filename"}));
    prompter.entries.clear();
    EXPECT_TRUE(fs::exists(sim / "mp3/hit.mp3"));
    // A folder renamed in the tree, with the same rules.
    EXPECT_FALSE(w.renameTreeFolder(w.receiverTree()->topLevelItem(0)->child(0), "a|b"));
    EXPECT_TRUE(w.renameTreeFolder(w.receiverTree()->topLevelItem(0)->child(0), "Records"));
    EXPECT_TRUE(fs::is_directory(sim / "mp3/Records/Live"));
    EXPECT_EQ(w.receiverTree()->topLevelItem(0)->child(0)->text(0), "Records");
    w.newReceiverFolder();
    w.newReceiverFolder();
    EXPECT_TRUE(fs::is_directory(sim / "mp3/new folder"));
    EXPECT_TRUE(fs::is_directory(sim / "mp3/new folder(2)"));
    prompter.answerNo();
    w.deleteReceiverRows({rowOf("hit.mp3")});
    EXPECT_TRUE(fs::exists(sim / "mp3/hit.mp3"));
    prompter.answerYes();
    w.deleteReceiverRows({rowOf("hit.mp3"), rowOf("Records")});
    EXPECT_EQ(prompter.texts().back(), "Are you sure you want delete 2 items ?");
    EXPECT_FALSE(fs::exists(sim / "mp3/hit.mp3"));
    EXPECT_FALSE(fs::exists(sim / "mp3/Records"));
    EXPECT_EQ(prompter.texts()[0],
              "A filename can not contain any of the following characters:\n\t\\ / : * ? \" < > |");
}

TEST_F(MediaWindowGuiTest, TransfersRunOnTheWorkerAndRefreshBothSides) {
    MediaWindow& w = open(MediaType::Mp3);
    writeFile(pc / "new.mp3", fixtures::randomBytes(100000));
    ASSERT_TRUE(transfer([&] { w.upload({pc / "new.mp3"}); }));
    EXPECT_EQ(readFile(sim / "mp3/new.mp3"), readFile(pc / "new.mp3"));
    EXPECT_NE(rowOf("new.mp3"), -1);
    fs::create_directories(pc / "back");
    w.setPcFolder(pc / "back");
    ASSERT_TRUE(transfer([&] { w.download({rowOf("Album"), rowOf("tune.mp3")}); }));
    EXPECT_TRUE(fs::is_directory(pc / "back/Album/Live"));
    EXPECT_EQ(readFile(pc / "back/tune.mp3"), readFile(sim / "mp3/tune.mp3"));
}

TEST_F(MediaWindowGuiTest, MultiViewFillsWhileTheWindowHandlesEvents) {
    for (int i = 0; i < 30; ++i)
        writeFile(sim / "jpeg" / ("p" + std::to_string(i) + ".jpg"), fixtures::MakeJpeg(400, 300));
    MediaWindow& w = open(MediaType::Jpeg);
    EXPECT_EQ(w.windowTitle(), "JPEG Manager");
    QSignalSpy done(&w, &MediaWindow::receiverIconsDone);
    int ticksWhileFilling = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ticksWhileFilling += w.workerRunning(); });
    tick.start(1);
    w.toggleMultiView();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_GT(ticksWhileFilling, 0);  // the event loop ran while the pictures arrived
    QTest::qWait(50);
    EXPECT_EQ(w.receiverIcons()->count(), 30);
    EXPECT_FALSE(w.receiverIcons()->item(0)->icon().isNull());
    // A refresh while a fill runs stops it and starts again.
    w.refreshReceiver();
    w.refreshReceiver();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.workerRunning(); }, 20000));
    QTest::qWait(50);
    EXPECT_EQ(w.receiverIcons()->count(), 30);
}

TEST_F(MediaWindowGuiTest, ClosingReportsTheMediaType) {
    open(MediaType::Jpeg).close();
    window.reset();
    open(MediaType::Mp3).close();
    EXPECT_EQ(closed, (std::vector<velkport::shell::Manager>{velkport::shell::Manager::Jpeg,
                                                             velkport::shell::Manager::Mp3}));
}
