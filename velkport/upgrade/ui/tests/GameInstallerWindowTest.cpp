// The Game / Plugin window against the emulated receiver: the header's lines after a file is
// chosen, an install through Start on the worker, a .tar.gz that Start ignores, and closing.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/upgrade/ui/GameInstallerWindow.h"

using namespace velkport::upgrade;

TEST(GameInstallerWindow, ShowsTheHeaderAndInstallsOnStart) {
    velkport::shell::MessageCatalogue::instance().SetLanguage(velkport::shell::kEnglish);
    fixtures::RunningSim sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    fixtures::TempDir dir;
    velkport::link::ChannelTable table;
    table.InitialiseChannels("127.0.0.1", sim->portBase());
    fixtures::RecordingPrompter prompter;
    std::vector<velkport::shell::ToolWindowEvent> events;
    GameInstallerWindow w(table, prompter,
                          [&](velkport::shell::ToolWindowEvent e) { events.push_back(e); });
    EXPECT_EQ(w.windowTitle(), "Game/Plugin");

    GameHeader h;
    h.name = "Chess";
    h.version = {0xab, 1, 2, 3, 4, 5, 6, 7};
    h.installedSize = 2500000;
    const auto head = h.Build();
    const std::string image = std::string(head.begin(), head.end()) + fixtures::randomBytes(70000);
    fixtures::writeFile(dir / "chess.img", image);
    fixtures::writeFile(dir / "chess.tar.gz", image);
    w.takePath(QString::fromStdString((dir / "chess.img").string()));
    EXPECT_EQ(w.infoLine(0)->text(), " GAME NAME : Chess");
    EXPECT_EQ(w.infoLine(1)->text(), " GAME VERSION : AB:01:02:03:04:05:06:07");
    EXPECT_EQ(w.infoLine(2)->text(), " GAME SIZE : 2,500,000");

    QSignalSpy done(&w, &GameInstallerWindow::installFinished);
    w.start();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(done.front().front().toInt(), velkport::media::kTransferDone);
    EXPECT_EQ(fixtures::readFile(sim / "games/Chess.img"), image);

    w.takePath(QString::fromStdString((dir / "chess.tar.gz").string()));
    EXPECT_FALSE(w.installer().accepted());
    w.start();
    EXPECT_FALSE(w.installing());
    w.close();
    EXPECT_EQ(
        events,
        (std::vector<velkport::shell::ToolWindowEvent>{
            {velkport::shell::Manager::Game, velkport::shell::ToolWindowEvent::What::Closed}}));
    EXPECT_TRUE(prompter.entries.empty());
    table.ShutdownChannels();
}
