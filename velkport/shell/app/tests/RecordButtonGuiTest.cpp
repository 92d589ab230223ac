// The main window's Record button with the real recordings window: the in-use query on channel
// 5, the busy message, the placement, and the slot that empties when the window closes.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/SettingsStore.h"
#include "velkport/shell/ui/MainWindow.h"
#include "velkport/shell/ui/ReceiverLinkProbe.h"

using namespace velkport::shell;
using velkport::recordings::RecordingsWindow;

namespace {

class RecordButtonGuiTest : public ::testing::Test {
  protected:
    void start(std::set<int> busy = {}) {
        MessageCatalogue::instance().SetLanguage(kEnglish);
        // The window reads its folder from the settings: never the user's own.
        SettingsStore store;
        ASSERT_TRUE(store.SaveLocalPath(local.path().string()));
        receiversim::SimOptions o;
        o.busyChannels = std::move(busy);
        sim = std::make_unique<fixtures::RunningSim>(o);
        ASSERT_TRUE(sim->ok()) << sim->error();
        app.receiverAddress = "127.0.0.1";
        app.portBase = sim->sim().portBase();
        table.setTimeLimit(std::chrono::seconds(5));
        window = std::make_unique<MainWindow>(app, prompter, probe);
        window->setChannelInitialiser([this](const std::string& a, std::uint16_t base) {
            return table.InitialiseChannels(a, base);
        });
        window->setConnectStep([] { return true; });
        window->setManagerFactory(
            Manager::Record, [this](bool online, auto notify, QWidget* owner) {
                return RecordingsWindow::Create(table, prompter, online, notify, owner);
            });
        QSignalSpy tick(window.get(), &MainWindow::channelsInitialised);
        ASSERT_TRUE(window->startUp());
        window->show();
        ASSERT_TRUE(tick.wait(5000));
        window->setShowAllManagers(true);
    }
    void TearDown() override {
        window.reset();
        table.ShutdownChannels();
        if (sim)
            sim->stop();
        SettingsStore().SaveLocalPath("");
    }

    fixtures::TempDir local;
    std::unique_ptr<fixtures::RunningSim> sim;
    AppContext app;
    fixtures::RecordingPrompter prompter;
    velkport::link::ChannelTable table;
    ReceiverLinkProbe probe{table, prompter};
    std::unique_ptr<MainWindow> window;
};

}  // namespace

TEST_F(RecordButtonGuiTest, RecordOpensTheOnlineWindowPlacedAsTheMp3WindowAndFreesItsSlotAtClose) {
    start();
    ASSERT_TRUE(window->button(Button::Record)->isVisible());
    QTest::mouseClick(window->button(Button::Record), Qt::LeftButton);
    auto* rec = qobject_cast<RecordingsWindow*>(window->managerWindow(Manager::Record));
    ASSERT_NE(rec, nullptr);
    EXPECT_TRUE(rec->isVisible());
    EXPECT_TRUE(rec->online());
    EXPECT_EQ(rec->manager().localFolder(), local.path());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const Rect expected = ManagerPlacement(
        Manager::Record, {screen.x(), screen.y(), screen.width(), screen.height()}, 900, 700);
    EXPECT_EQ(rec->geometry().size(), QSize(expected.width, expected.height));

    QSignalSpy gone(rec, &QObject::destroyed);
    rec->close();
    // Outside a running event loop the deferred delete is handed over by hand.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(gone.count(), 1);
    EXPECT_EQ(window->managerWindow(Manager::Record), nullptr);
    EXPECT_TRUE(window->button(Button::Record)->isEnabled());
}

TEST_F(RecordButtonGuiTest, BusyRecordingsOnTheReceiverOpenNothing) {
    start({5});
    QTest::mouseClick(window->button(Button::Record), Qt::LeftButton);
    EXPECT_EQ(window->managerWindow(Manager::Record), nullptr);
    EXPECT_TRUE(prompter.said("Record is using in DVR"));
}
