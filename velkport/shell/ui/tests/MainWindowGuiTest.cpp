#include <QMenu>

#include <array>

#include <sys/socket.h>
#include <sys/un.h>

#include "MainWindowHarness.h"
#include "common/Socket.h"

using namespace velkport::shell;

namespace {

// The main window with stand-ins for the desktop: URLs and started programs are recorded, and the
// channel editor is a plain window. The real manager windows are behind the buttons in the app
// folder's tests.
class MainWindowGuiTest : public MainWindowHarness {
  protected:
    void SetUp() override {
        MainWindowHarness::SetUp();
        window->setUrlOpener([this](const QUrl& url) {
            urls.push_back(url.toString().toStdString());
            return true;
        });
        window->setProgramStarter([this](const QString& program, const QStringList& args) {
            started.push_back(program.toStdString() + " " + args.join(' ').toStdString());
            return true;
        });
        window->setCorvidSocket(config / "corvid.sock");
    }

    // A plain window for the channel editor that notes whether it was opened online.
    void registerChannelWindow() {
        window->setManagerFactory(
            Manager::Channel,
            [this](bool online, velkport::shell::ToolWindowNotify, QWidget* owner) {
                editorOnline = online;
                auto* w = new QWidget(owner, Qt::Window);
                w->setObjectName("editor");
                w->resize(640, 480);
                return w;
            });
    }

    std::vector<std::string> urls;
    std::vector<std::string> started;
    bool editorOnline = false;
};

}  // namespace

TEST_F(MainWindowGuiTest, RightPinConnectsAndTheFirstTickPutsTheBarOnline) {
    registerChannelWindow();
    window->setManagerFactory(Manager::Upgrade,
                              [](bool, velkport::shell::ToolWindowNotify, QWidget* o) {
                                  return new QWidget(o, Qt::Window);
                              });
    EXPECT_FALSE(window->button(Button::Upgrade)->isEnabled());
    ASSERT_TRUE(startAndTick());
    EXPECT_EQ(app.receiverAddress, "127.0.0.1");
    EXPECT_EQ(app.userId, "root");
    EXPECT_EQ(settings.LoadLastAddress(), "127.0.0.1");
    EXPECT_TRUE(window->button(Button::Upgrade)->isEnabled());
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(window->windowTitle(), "Boxdesk QX7100");
    EXPECT_EQ(window->size(), QSize(222, 100));
}

TEST_F(MainWindowGuiTest, WrongPinEndsTheProgramAfterTheLoginMessage) {
    inputs = {{ConnectInput::Connect, "127.0.0.1", "9999"}};
    EXPECT_FALSE(window->startUp());
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"Error Invalid Response",
                                        "Login fail. Check server address and password."}));
    EXPECT_EQ(prompter.entries.back().icon, PromptIcon::Error);
    // The address is remembered and the PIN kept as entered even though the logon failed.
    EXPECT_EQ(settings.LoadLastAddress(), "127.0.0.1");
    EXPECT_EQ(app.pinCode, "9999");
}

TEST_F(MainWindowGuiTest, EmptyPinKeepsTheDialogOpenWithItsMessage) {
    inputs = {{ConnectInput::Connect, "127.0.0.1", ""}};
    QTimer::singleShot(0, [&] {
        // The dialog stays after "Input password"; the user then goes offline.
        ASSERT_TRUE(QTest::qWaitFor([&] { return prompter.said("Input password"); }, 5000));
        auto* d = window->findChild<ConnectDialog*>();
        ASSERT_NE(d, nullptr);
        QTest::mouseClick(d->offLineButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(window->startUp());
    EXPECT_FALSE(settings.LoadLastAddress());
}

TEST_F(MainWindowGuiTest, OffLineLeavesTheWindowOfflineSilentlyAndTheEditorAsksFirst) {
    registerChannelWindow();
    inputs = {{ConnectInput::OffLine, "", ""}};
    EXPECT_FALSE(startAndTick());
    EXPECT_TRUE(app.receiverAddress.empty());
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_FALSE(window->button(Button::Upgrade)->isEnabled());

    prompter.answerNo();
    QTest::mouseClick(window->button(Button::Channel), Qt::LeftButton);
    EXPECT_EQ(window->managerWindow(Manager::Channel), nullptr);
    prompter.answerYes();
    QTest::mouseClick(window->button(Button::Channel), Qt::LeftButton);
    EXPECT_NE(window->managerWindow(Manager::Channel), nullptr);
    EXPECT_FALSE(editorOnline);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>(2, "DVR is not connected. Do you want open Offline?")));
}

TEST_F(MainWindowGuiTest, CancelEndsTheProgram) {
    inputs = {{ConnectInput::Cancel}};
    EXPECT_FALSE(window->startUp());
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(MainWindowGuiTest, BusyChannelFourRefusesTheEditorAndAFreeOneOpensItOnline) {
    registerChannelWindow();
    ASSERT_TRUE(startAndTick());
    sim->setBusy(4, true);
    QTest::mouseClick(window->button(Button::Channel), Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"Channel is using in DVR"}));
    EXPECT_EQ(window->managerWindow(Manager::Channel), nullptr);
    EXPECT_TRUE(window->button(Button::Channel)->isEnabled());

    sim->setBusy(4, false);
    QTest::mouseClick(window->button(Button::Channel), Qt::LeftButton);
    ASSERT_NE(window->managerWindow(Manager::Channel), nullptr);
    EXPECT_TRUE(editorOnline);
    EXPECT_FALSE(window->button(Button::Channel)->isEnabled());
}

TEST_F(MainWindowGuiTest, FirmwareSentHidesTheWindowAndReconnectsAndAFailedReconnectClosesIt) {
    ASSERT_TRUE(startAndTick());
    QSignalSpy tick(window.get(), &MainWindow::channelsInitialised);
    bool hiddenDuringConnect = false;
    bool reconnects = true;
    window->setConnectStep([&] {
        hiddenDuringConnect = !window->isVisible();
        return reconnects;
    });
    window->onToolWindowEvent({Manager::Upgrade, ToolWindowEvent::What::ReceiverRestarts});
    EXPECT_TRUE(hiddenDuringConnect);
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(tick.count(), 1);
    EXPECT_TRUE(tick.at(0).at(0).toBool());

    reconnects = false;
    window->onToolWindowEvent({Manager::Upgrade, ToolWindowEvent::What::ReceiverRestarts});
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowGuiTest, EnterIsSwallowedAndF1OpensTheHelp) {
    ASSERT_TRUE(startAndTick());
    int opened = 0;
    window->setManagerFactory(Manager::Channel,
                              [&](bool, velkport::shell::ToolWindowNotify, QWidget*) -> QWidget* {
                                  ++opened;
                                  return nullptr;
                              });
    window->button(Button::Channel)->setFocus();
    QTest::keyClick(window->button(Button::Channel), Qt::Key_Return);
    QTest::keyClick(window->button(Button::Channel), Qt::Key_Enter);
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(window.get(), Qt::Key_F1);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], "file://" + (config / "VelkHelp.chm").string());
}

TEST_F(MainWindowGuiTest, ShowAllManagersRevealsTheOtherButtonsAndIsRemembered) {
    ASSERT_TRUE(startAndTick());
    // The shipped bar shows Channel and Upgrade only.
    for (int b = 0; b < kButtonCount; ++b)
        EXPECT_EQ(window->button(static_cast<Button>(b))->isVisible(),
                  b == static_cast<int>(Button::Channel) || b == static_cast<int>(Button::Upgrade));
    QAction* showAll = nullptr;
    for (QAction* a : window->systemMenu()->actions())
        if (a->text() == "Show all managers")
            showAll = a;
    ASSERT_NE(showAll, nullptr);
    showAll->trigger();
    for (int b = 0; b < kButtonCount; ++b)
        EXPECT_TRUE(window->button(static_cast<Button>(b))->isVisible()) << b;
    EXPECT_GT(window->height(), 100);

    MainWindow second(app, prompter, probe);
    second.setSettingsFile(settings.file());
    EXPECT_TRUE(second.logic().bar().showAll());
}

TEST_F(MainWindowGuiTest, SambaAndRemoteControlOpenTheReceiversPagesInTheDesktopsPrograms) {
    ASSERT_TRUE(startAndTick());
    window->setShowAllManagers(true);
    QTest::mouseClick(window->button(Button::Samba), Qt::LeftButton);
    QTest::mouseClick(window->button(Button::Rmc), Qt::LeftButton);
    EXPECT_EQ(urls, (std::vector<std::string>{"smb://127.0.0.1/", "http://127.0.0.1/remote.html"}));
    window->setUrlOpener([](const QUrl&) { return false; });
    QTest::mouseClick(window->button(Button::Samba), Qt::LeftButton);
    EXPECT_TRUE(prompter.said("Can not find explore path"));
}

TEST_F(MainWindowGuiTest, CorvidIsStartedWithTheAddressOrHandedItWhenRunning) {
    ASSERT_TRUE(startAndTick());
    window->setShowAllManagers(true);
    QTest::mouseClick(window->button(Button::Corvid), Qt::LeftButton);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_NE(started[0].find("corvid 127.0.0.1"), std::string::npos);
    EXPECT_FALSE(window->button(Button::Corvid)->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->button(Button::Corvid)->isEnabled(); }, 5000));

    // A running Corvid listens on its socket and gets the packed address instead.
    common::Socket listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, (config / "corvid.sock").c_str(), sizeof(addr.sun_path) - 1);
    ASSERT_EQ(::bind(listener.fd(), reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ASSERT_EQ(::listen(listener.fd(), 4), 0);
    QTest::mouseClick(window->button(Button::Corvid), Qt::LeftButton);
    EXPECT_EQ(started.size(), 1u);
    // The first connection was the check that Corvid runs; the second carries the record.
    common::Socket check = listener.accept(common::Millis(2000));
    common::Socket peer = listener.accept(common::Millis(2000));
    ASSERT_TRUE(peer.valid());
    // Message 5973, the address and a one, each most significant byte first.
    std::array<std::uint8_t, 12> record{};
    ASSERT_TRUE(peer.receiveExactly(record.data(), record.size(), common::Millis(2000)));
    EXPECT_EQ(record, (std::array<std::uint8_t, 12>{0, 0, 0x17, 0x55, 0x7F, 0, 0, 1, 0, 0, 0, 1}));
}
