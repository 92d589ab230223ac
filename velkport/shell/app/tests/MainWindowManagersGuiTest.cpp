// The main window with the real manager windows behind its buttons, as the program builds it,
// connected through the Connect dialog to an emulated receiver: the editor, the firmware upload
// that ends in a new connection, and the Record button opening the recordings window.
#include <QGuiApplication>
#include <QScreen>

#include "velkport/editor/ui/EditorWindow.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/ui/tests/MainWindowHarness.h"
#include "velkport/upgrade/ui/UpgradeWindow.h"

using namespace velkport::shell;
using velkport::editor::EditorWindow;
using velkport::recordings::RecordingsWindow;
using velkport::upgrade::UpgradeWindow;

namespace {

class MainWindowManagersGuiTest : public MainWindowHarness {
  protected:
    void SetUp() override {
        MainWindowHarness::SetUp();
        // The recordings window reads its folder from the settings (the test program's own).
        ASSERT_TRUE(SettingsStore().SaveLocalPath(local.path().string()));
        window->setManagerFactory(Manager::Upgrade, [this](bool, auto notify, QWidget* owner) {
            auto* w = new UpgradeWindow(app, prompter, notify, owner);
            w->setReconnectDelay(0);
            return w;
        });
        window->setManagerFactory(Manager::Channel, [this](bool online, auto notify, QWidget* o) {
            return new EditorWindow(app, prompter, online, notify, o);
        });
        window->setManagerFactory(Manager::Record, [this](bool online, auto notify, QWidget* o) {
            return RecordingsWindow::Create(table, prompter, online, notify, o);
        });
        inputs = {{}, {}};  // the second after the firmware upload
        ASSERT_TRUE(startAndTick());
        window->setShowAllManagers(true);
    }
    void TearDown() override {
        MainWindowHarness::TearDown();
        SettingsStore().SaveLocalPath("");
    }

    fixtures::TempDir local;
};

}  // namespace

TEST_F(MainWindowManagersGuiTest, ChannelOpensTheOnlineEditorOnceAndItsCloseFreesTheButton) {
    QTest::mouseClick(window->button(Button::Channel), Qt::LeftButton);
    auto* editor = qobject_cast<EditorWindow*>(window->managerWindow(Manager::Channel));
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
    auto* upgrade = qobject_cast<UpgradeWindow*>(window->managerWindow(Manager::Upgrade));
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

TEST_F(MainWindowManagersGuiTest, RecordOpensTheOnlineWindowPlacedAsTheMp3WindowAndFreesItsSlot) {
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
