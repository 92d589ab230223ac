#include "corvid/sharing/desktop/ServerControl.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/desktop/StartupSequence.h"
#include "corvid/sharing/tests/MemoryShares.h"
#include "corvid/sharing/tests/StreamWatcher.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/CorvidletService.h"

namespace corvid::sharing {
namespace {

using namespace std::chrono_literals;
using Action = StartupSequence::Action;

struct Case {
    std::uint32_t serverType;
    bool share;
    std::uint32_t autoStart;
    const char* argument;
    Action action;
    const char* storedAddress;
};

TEST(StartupSequenceTest, WizardUntilConfiguredThenTheArgumentDecidesTheTimer) {
    const Case cases[] = {
        {0, true, 0, "", Action::Wizard, "10.0.0.1"},
        {1, false, 0, "", Action::Wizard, "10.0.0.1"},
        {1, true, 1, "", Action::AutomaticStart, "10.0.0.1"},
        {2, true, 1, "192.168.1.20", Action::InteractiveStart, "192.168.1.20"},
        {1, true, 0, "", Action::InteractiveStart, "10.0.0.1"},
        {1, true, 0, "1.2.3", Action::InteractiveStart, "10.0.0.1"},  // under 7 characters
    };
    for (const auto& c : cases) {
        fixtures::TempDir dir;
        MemoryShares system;
        if (c.share)
            system.shares.push_back({"music", 0, "music", dir.path().string(), 0});
        SharingSettings settings(dir.path(), &system);
        settings.LoadSettings();
        settings.LoadShares();
        settings.serverType = c.serverType;
        settings.autoStart = c.autoStart;
        settings.receiverAddress = "10.0.0.1";
        EXPECT_EQ(StartupSequence::Decide(settings, c.argument), c.action) << c.argument;
        EXPECT_EQ(settings.receiverAddress, c.storedAddress);
    }
    const char* argv[] = {"corvid", "192.168.1.20"};
    EXPECT_EQ(StartupSequence::ArgumentOf(2, argv), "192.168.1.20");
    EXPECT_EQ(StartupSequence::ArgumentOf(1, argv), "");
}

TEST(StartupSequenceTest, TimersRetryUntilTheNetworkIsUpAndOnlyTheInteractiveOneTalks) {
    bool network = false;
    std::vector<bool> starts;
    StartupSequence sequence([&] { return network; }, [&](bool show) { starts.push_back(show); });
    for (Action a : {Action::AutomaticStart, Action::InteractiveStart}) {
        sequence.Arm(a);
        network = false;
        EXPECT_TRUE(sequence.Tick());
        EXPECT_TRUE(sequence.Tick());
        network = true;
        EXPECT_FALSE(sequence.Tick());
        EXPECT_FALSE(sequence.Tick()) << "one start per arming";
    }
    EXPECT_EQ(starts, (std::vector<bool>{false, true}));
    sequence.Arm(Action::Wizard);
    EXPECT_FALSE(sequence.Armed());
}

class ServerControlTest : public ::testing::Test {
  protected:
    ServerControlTest() {
        std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
        std::filesystem::create_directories(dir / "films");
        system.shares.push_back({"films", 0, "video", (dir / "films").string(), 1});
        settings.LoadShares();
        settings.receiverAddress = "127.0.0.1";
        control.SetControlPort(0);
        control.SetConfigurationPort(1);  // nobody listens there
        control.SetServerAddress("127.0.0.1");
        control.SetMessageSink([this](const std::string& m) { messages.push_back(m); });
        // No Samba here: the account is refused unless a test says otherwise.
        control.SetAccountCheck(
            [](const std::string&, const std::string&, std::string&) { return false; });
    }
    fixtures::TempDir dir;
    fixtures::TempDir config;
    MemoryShares system;
    SharingSettings settings{config.path(), &system};
    ServerControl control{settings, CORVID_WEB_DIR};
    std::vector<std::string> messages;
};

TEST_F(ServerControlTest, UnknownServerTypeIsReportedAndStaysOffline) {
    settings.serverType = 0;
    EXPECT_EQ(control.StartServer(true), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"Can not find server type"});
    EXPECT_EQ(control.status(), receiver::LinkStatus::Offline);
}

TEST_F(ServerControlTest, FileSharingServerHandsTheSharesToTheEmulatedCorvidlet) {
    receiversim::CorvidletService corvidlet(dir.path(), "127.0.0.1");
    ASSERT_TRUE(corvidlet.start(0));
    control.SetConfigurationPort(corvidlet.port());
    settings.serverType = 2;
    settings.user = "pvr";
    settings.password = "right";
    control.SetAccountCheck([](const std::string& user, const std::string& password, std::string&) {
        return user == "pvr" && password == "right";
    });
    std::vector<receiver::LinkStatus> statuses;
    control.SetStatusSink([&](receiver::LinkStatus s) { statuses.push_back(s); });
    EXPECT_EQ(control.StartServer(true), 1);
    ASSERT_TRUE(corvidlet.waitForSessions(1, 5s));
    const std::string session = fixtures::readFile(corvidlet.folder() / "session-1.txt");
    EXPECT_NE(session.find("films"), std::string::npos) << session;
    EXPECT_EQ(statuses.back(), receiver::LinkStatus::Online);
}

// The emulated receiver asks for a stream over the control channel; a real VLC sends it.
TEST_F(ServerControlTest, ReceiverSimPlayRequestStreamsThroughVlcToUdp) {
    if (!programOnPath("vlc") || !programOnPath("ffmpeg"))
        GTEST_SKIP() << "needs vlc (vlc-bin, vlc-plugin-base) and ffmpeg";
    if (::geteuid() == 0)
        ::setenv("CORVID_VLC_USER", "nobody", 0);  // VLC refuses to run as root
    ASSERT_TRUE(StreamWatcher::MakeFilm(dir / "films/Film.mpg", "30"));
    StreamWatcher watcher;
    control.streamer().SetUdpPort(watcher.port());

    settings.serverType = 1;
    ASSERT_EQ(control.StartServer(true), 1) << (messages.empty() ? "" : messages.back());
    EXPECT_EQ(control.status(), receiver::LinkStatus::Online);
    const std::string corvid = "127.0.0.1:" + std::to_string(control.controlPort());
    std::string error;
    ASSERT_TRUE(receiversim::CorvidletService::SendControl(
        corvid, "control play 127.0.0.1 films/Film.mpg", &error))
        << error;
    EXPECT_TRUE(watcher.pids(20s, {69}).count(69)) << "transport packets of the video PID";
    ASSERT_TRUE(receiversim::CorvidletService::SendControl(corvid, "control stop", &error));
    for (auto end = std::chrono::steady_clock::now() + 10s;
         control.streamer().Running() && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(control.streamer().Running());
    control.Shutdown();
}

}  // namespace
}  // namespace corvid::sharing
