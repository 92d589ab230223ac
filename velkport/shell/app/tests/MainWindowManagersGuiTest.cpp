#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "velkport/editor/ui/EditorWindow.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/ui/ConnectStep.h"
#include "velkport/shell/ui/MainWindow.h"
#include "velkport/shell/ui/ReceiverLinkProbe.h"
#include "velkport/shell/widgets/ConnectDialog.h"
#include "velkport/upgrade/ui/UpgradeWindow.h"

using namespace velkport::shell;

namespace {

// The main window with the real manager windows, as the program builds it.
class MainWindowManagersGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MessageCatalogue::instance().SetLanguage(kEnglish);
        ASSERT_TRUE(sim.ok()) << sim.error();
        std::filesystem::create_directories(sim / "ftproot/System/Software");
        app.ftpPort = sim->ftpPort();
        app.portBase = sim->portBase();
        table.setTimeLimit(std::chrono::milliseconds(3000));

        window = std::make_unique<MainWindow>(app, prompter, probe);
        window->setChannelInitialiser([this](const std::string& a, std::uint16_t base) {
            return table.InitialiseChannels(a, base);
        });
        window->setManagerFactory(
            Manager::Upgrade,
            [this](bool, velkport::shell::ToolWindowNotify notify, QWidget* owner) {
                auto* w = new velkport::upgrade::UpgradeWindow(app, prompter, notify, owner);
                w->setReconnectDelay(0);
                return w;
            });
        window->setManagerFactory(
            Manager::Channel,
            [this](bool online, velkport::shell::ToolWindowNotify notify, QWidget* owner) {
                return new velkport::editor::EditorWindow(app, prompter, online, notify, owner);
            });
        window->setConnectStep([this] {
            ++connects;
            return RunConnectStep(app, prompter, settings, window.get(), [](ConnectDialog& d) {
                QTimer::singleShot(0, &d, [&d] {
                    d.SetAddress("127.0.0.1");
                    d.pinField()->setText("8642");
                    QTest::mouseClick(d.connectButton(), Qt::LeftButton);
                });
            });
        });
        QSignalSpy tick(window.get(), &MainWindow::channelsInitialised);
        ASSERT_TRUE(window->startUp());
        window->show();
        ASSERT_TRUE(tick.wait(5000));
        ASSERT_TRUE(tick.at(0).at(0).toBool());
    }
    void TearDown() override {
        window.reset();
        table.ShutdownChannels();
        sim->stop();
    }

    static receiversim::SimOptions Pin() {
        receiversim::SimOptions o;
        o.pin = "8642";
        return o;
    }
    fixtures::RunningSim sim{Pin()};
    fixtures::TempDir config;
    AppContext app;
    fixtures::RecordingPrompter prompter;
    velkport::link::ChannelTable table;
    ReceiverLinkProbe probe{table, prompter};
    SettingsStore settings{config / "Velkport.ini"};
    std::unique_ptr<MainWindow> window;
    int connects = 0;
};

}  // namespace

TEST_F(MainWindowManagersGuiTest, ChannelOpensTheOnlineEditorOnceAndItsCloseFreesTheButton) {
    QTest::mouseClick(window->button(Button::Channel), Qt::LeftButton);
    auto* editor =
        qobject_cast<velkport::editor::EditorWindow*>(window->managerWindow(Manager::Channel));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->button(velkport::editor::EditorButton::LoadFromDvr)->isEnabled());
    EXPECT_FALSE(window->button(Button::Channel)->isEnabled());
    editor->close();
    EXPECT_EQ(window->managerWindow(Manager::Channel), nullptr);
    EXPECT_TRUE(window->button(Button::Channel)->isEnabled());
}

TEST_F(MainWindowManagersGuiTest, FirmwareUploadEndsWithTheConnectDialogAndANewChannelStart) {
    fixtures::writeFile(config / "fw.data", "new software");
    QTest::mouseClick(window->button(Button::Upgrade), Qt::LeftButton);
    auto* upgrade =
        qobject_cast<velkport::upgrade::UpgradeWindow*>(window->managerWindow(Manager::Upgrade));
    ASSERT_NE(upgrade, nullptr);
    upgrade->pathField()->setText(QString::fromStdString((config / "fw.data").string()));
    QSignalSpy reconnected(window.get(), &MainWindow::reconnected);
    QTest::mouseClick(upgrade->startButton(), Qt::LeftButton);
    ASSERT_TRUE(reconnected.wait(30000));
    EXPECT_TRUE(reconnected.at(0).at(0).toBool());
    EXPECT_EQ(fixtures::readFile(sim / "ftproot/System/Software/firmware.bin"), "new software");
    EXPECT_EQ(connects, 2);
    EXPECT_EQ(window->managerWindow(Manager::Upgrade), nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->button(Button::Upgrade)->isEnabled());
}
