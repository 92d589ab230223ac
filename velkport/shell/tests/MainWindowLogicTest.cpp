#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/shell/MainWindowLogic.h"
#include "velkport/shell/base/MessageCatalogue.h"

using namespace velkport::shell;

namespace {

// A receiver that records the questions asked and answers from its busy and not-ready sets.
class FakeProbe : public ReceiverProbe {
  public:
    bool ChannelReady(int channel) override {
        calls.push_back("ready " + std::to_string(channel));
        return !notReady.count(channel);
    }
    bool InUse(int channel) override {
        calls.push_back("inuse " + std::to_string(channel));
        return busy.count(channel) > 0;
    }
    std::set<int> busy;
    std::set<int> notReady;
    std::vector<std::string> calls;
};

class MainWindowLogicTest : public ::testing::Test {
  protected:
    void SetUp() override { MessageCatalogue::instance().SetLanguage(kEnglish); }
    AppContext app;
    fixtures::RecordingPrompter prompter;
    MainWindowLogic logic{app, prompter};
    FakeProbe probe;
};

}  // namespace

TEST_F(MainWindowLogicTest, BusyFunctionsRefuseWithTheirOwnMessageAndOpenNothing) {
    logic.bar().setOnline(true);
    const std::map<Manager, std::pair<int, std::string>> cases = {
        {Manager::Mp3, {2, "MP3 is using in DVR"}},
        {Manager::Jpeg, {3, "JPEG is using in DVR"}},
        {Manager::Game, {4, "Game is using in DVR"}},
        {Manager::Record, {5, "Record is using in DVR"}},
        {Manager::Channel, {4, "Channel is using in DVR"}},
    };
    for (const auto& [manager, expected] : cases) {
        prompter.entries.clear();
        probe.busy = {expected.first};
        EXPECT_EQ(logic.CheckOpen(manager, probe), OpenCheck::Refused);
        ASSERT_EQ(prompter.entries.size(), 1u);
        EXPECT_EQ(prompter.entries[0].text, expected.second);
        EXPECT_EQ(prompter.entries[0].icon, PromptIcon::Error);
    }
}

TEST_F(MainWindowLogicTest, FreeFunctionsOpenOnlineAfterAskingTheirOwnChannel) {
    logic.bar().setOnline(true);
    probe.busy = {1, 2, 3, 5};  // other channels busy must not matter for the editor
    EXPECT_EQ(logic.CheckOpen(Manager::Channel, probe), OpenCheck::Open);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"inuse 4"}));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(MainWindowLogicTest, GameChecksReadinessBeforeTheInUseQuery) {
    logic.bar().setOnline(true);
    probe.notReady = {4};
    EXPECT_EQ(logic.CheckOpen(Manager::Game, probe), OpenCheck::Refused);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"ready 4"}));
    EXPECT_TRUE(prompter.said("DVR is not connected"));
}

TEST_F(MainWindowLogicTest, UpgradeNeedsChannelOneReadyOnlineAndOffline) {
    for (bool online : {true, false}) {
        logic.bar().setOnline(online);
        probe.calls.clear();
        EXPECT_EQ(logic.CheckOpen(Manager::Upgrade, probe), OpenCheck::Open);
        EXPECT_EQ(probe.calls, (std::vector<std::string>{"ready 1"}));
    }
    probe.notReady = {1};
    EXPECT_EQ(logic.CheckOpen(Manager::Upgrade, probe), OpenCheck::Refused);
    EXPECT_TRUE(prompter.said("DVR is not connected"));
}

TEST_F(MainWindowLogicTest, OfflineAsksWhetherToOpenOfflineAndNeverQueriesTheReceiver) {
    logic.bar().setOnline(false);
    prompter.answerYes();
    EXPECT_EQ(logic.CheckOpen(Manager::Channel, probe), OpenCheck::Open);
    prompter.answerNo();
    EXPECT_EQ(logic.CheckOpen(Manager::Record, probe), OpenCheck::Refused);
    EXPECT_TRUE(probe.calls.empty());
    ASSERT_EQ(prompter.entries.size(), 2u);
    EXPECT_TRUE(prompter.entries[0].question);
    EXPECT_EQ(prompter.entries[0].text, "DVR is not connected. Do you want open Offline?");
}

TEST_F(MainWindowLogicTest, DecliningTheRemoteControlOfflineTurnsItsButtonOff) {
    EXPECT_TRUE(logic.bar().enabled(Button::Rmc));
    prompter.answerNo();
    EXPECT_EQ(logic.CheckOpen(Manager::RemoteControl, probe), OpenCheck::Refused);
    EXPECT_FALSE(logic.bar().enabled(Button::Rmc));
    logic.bar().setOnline(true);
    EXPECT_FALSE(logic.bar().enabled(Button::Rmc));
}

TEST_F(MainWindowLogicTest, AnOpenManagerIsOnlyRaised) {
    logic.bar().setOnline(true);
    logic.bar().setWindow(Manager::Mp3, true);
    probe.busy = {2};
    EXPECT_EQ(logic.CheckOpen(Manager::Mp3, probe), OpenCheck::Raise);
    EXPECT_TRUE(probe.calls.empty());
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(MainWindowLogicTest, FirstTickWithoutAddressStaysOfflineSilently) {
    bool called = false;
    EXPECT_FALSE(logic.InitialiseChannels([&](const std::string&, std::uint16_t) {
        called = true;
        return true;
    }));
    EXPECT_FALSE(called);
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_FALSE(logic.bar().enabled(Button::Upgrade));
    EXPECT_FALSE(logic.bar().enabled(Button::Samba));
    EXPECT_FALSE(logic.bar().enabled(Button::Corvid));
}

TEST_F(MainWindowLogicTest, FirstTickStartsTheChannelsOfTheConnectedReceiver) {
    app.receiverAddress = "127.0.0.1";
    app.portBase = 41000;
    std::string seen;
    std::uint16_t seenBase = 0;
    EXPECT_TRUE(logic.InitialiseChannels([&](const std::string& a, std::uint16_t base) {
        seen = a;
        seenBase = base;
        return true;
    }));
    EXPECT_EQ(seen, "127.0.0.1");
    EXPECT_EQ(seenBase, 41000);
    EXPECT_TRUE(logic.bar().online());
}

TEST_F(MainWindowLogicTest, ChannelsThatDoNotStartLeaveTheWindowOfflineWithSocketInitFailed) {
    app.receiverAddress = "127.0.0.1";
    logic.bar().setOnline(true);
    EXPECT_FALSE(logic.InitialiseChannels([](const std::string&, std::uint16_t) { return false; }));
    EXPECT_FALSE(logic.bar().online());
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"Socket init failed"}));
}

TEST(FunctionBarTest, ButtonsFollowTheRefreshTable) {
    FunctionBar bar;
    for (Manager m : {Manager::Upgrade, Manager::Mp3, Manager::Jpeg, Manager::Game, Manager::Record,
                      Manager::Channel})
        bar.setAvailable(m, true);
    bar.setOnline(false);
    EXPECT_FALSE(bar.enabled(Button::Upgrade));
    EXPECT_FALSE(bar.enabled(Button::Game));
    EXPECT_FALSE(bar.enabled(Button::Samba));
    EXPECT_FALSE(bar.enabled(Button::Corvid));
    EXPECT_TRUE(bar.enabled(Button::Channel));
    EXPECT_TRUE(bar.enabled(Button::Mp3));
    EXPECT_TRUE(bar.enabled(Button::Jpeg));
    EXPECT_TRUE(bar.enabled(Button::Record));

    bar.setOnline(true);
    EXPECT_TRUE(bar.enabled(Button::Upgrade));
    EXPECT_TRUE(bar.enabled(Button::Game));
    EXPECT_TRUE(bar.enabled(Button::Samba));
    EXPECT_TRUE(bar.enabled(Button::Corvid));

    bar.setWindow(Manager::Game, true);
    bar.setWindow(Manager::Channel, true);
    bar.setWindow(Manager::Mp3, true);
    EXPECT_FALSE(bar.enabled(Button::Game));
    EXPECT_FALSE(bar.enabled(Button::Channel));
    EXPECT_TRUE(bar.enabled(Button::Mp3));  // pressing it again re-centres the window
}

TEST(FunctionBarTest, ManagersWithoutAWindowInThisProgramStayDisabled) {
    FunctionBar bar;
    bar.setOnline(true);
    bar.setAvailable(Manager::Channel, true);
    bar.setAvailable(Manager::Upgrade, true);
    EXPECT_FALSE(bar.enabled(Button::Mp3));
    EXPECT_FALSE(bar.enabled(Button::Record));
    EXPECT_FALSE(bar.enabled(Button::Game));
    EXPECT_TRUE(bar.enabled(Button::Channel));
}

TEST(FunctionBarTest, ShippedBarShowsChannelAndUpgradeOnlyUnlessAllAreAskedFor) {
    FunctionBar bar;
    for (int b = 0; b < kButtonCount; ++b) {
        const auto button = static_cast<Button>(b);
        EXPECT_EQ(bar.visible(button), button == Button::Channel || button == Button::Upgrade);
    }
    bar.setShowAll(true);
    for (int b = 0; b < kButtonCount; ++b)
        EXPECT_TRUE(bar.visible(static_cast<Button>(b)));
}

TEST(FunctionBarTest, ToolWindowEventsTakeOrFreeTheirSlotAndNameTheFollowUp) {
    using What = ToolWindowEvent::What;
    FunctionBar bar;
    bar.setAvailable(Manager::Channel, true);
    EXPECT_EQ(bar.onToolWindowEvent({Manager::Channel, What::Opened}), ToolWindowAction::Nothing);
    EXPECT_TRUE(bar.hasWindow(Manager::Channel));
    EXPECT_FALSE(bar.enabled(Button::Channel));
    bar.setWindow(Manager::Upgrade, true);
    bar.setWindow(Manager::Record, true);
    EXPECT_EQ(bar.onToolWindowEvent({Manager::Channel, What::Closed}),
              ToolWindowAction::ReleaseWindow);
    EXPECT_FALSE(bar.hasWindow(Manager::Channel));
    EXPECT_TRUE(bar.enabled(Button::Channel));
    EXPECT_TRUE(bar.hasWindow(Manager::Record));
    // The recordings window's close frees its slot like every other window's.
    EXPECT_EQ(bar.onToolWindowEvent({Manager::Record, What::Closed}),
              ToolWindowAction::ReleaseWindow);
    EXPECT_FALSE(bar.hasWindow(Manager::Record));
    EXPECT_EQ(bar.onToolWindowEvent({Manager::Upgrade, What::ReceiverRestarts}),
              ToolWindowAction::Reconnect);
    EXPECT_FALSE(bar.hasWindow(Manager::Upgrade));
}

TEST(FunctionBarTest, BarSitsAtTheBottomRightAndManagersAreCentred) {
    const Rect screen{0, 0, 1920, 1080};
    EXPECT_EQ(FunctionBarGeometry(screen), (Rect{1668, 950, 222, 100}));
    EXPECT_EQ(ManagerPlacement(Manager::Channel, screen, 800, 600), (Rect{560, 240, 800, 600}));
    EXPECT_EQ(ManagerPlacement(Manager::Jpeg, screen, 800, 600), (Rect{580, 270, 800, 600}));
    EXPECT_EQ(ManagerPlacement(Manager::Mp3, screen, 100, 100), (Rect{510, 190, 900, 700}));
    EXPECT_EQ(ManagerPlacement(Manager::Record, screen, 100, 100), (Rect{510, 190, 900, 700}));
    // A small screen: the big managers fill it from its top left corner.
    const Rect small{0, 0, 800, 600};
    EXPECT_EQ(ManagerPlacement(Manager::Record, small, 100, 100), small);
    const Rect narrowButTall{0, 0, 899, 1000};
    EXPECT_EQ(ManagerPlacement(Manager::Mp3, narrowButTall, 100, 100), narrowButTall);
}

TEST(CorvidAddressTest, FirstNumberGoesToTheMostSignificantByte) {
    EXPECT_EQ(PackReceiverAddress("192.168.1.20"), 0xC0A80114u);
    EXPECT_EQ(PackReceiverAddress("127.0.0.1"), 0x7F000001u);
    EXPECT_EQ(PackReceiverAddress("0.0.0.0"), 0u);
}

TEST(CorvidAddressTest, TextsThatAreNotFourNumbersAreRefused) {
    EXPECT_FALSE(PackReceiverAddress(""));
    EXPECT_FALSE(PackReceiverAddress("192.168.1"));
    EXPECT_FALSE(PackReceiverAddress("receiver.local"));
    EXPECT_FALSE(PackReceiverAddress("192.168..20"));
}

TEST_F(MainWindowLogicTest, CorvidParameterComplainsAboutAnAddressThatIsNotDotted) {
    app.receiverAddress = "dvr";
    EXPECT_FALSE(logic.CorvidParameter());
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"This is not IP address"}));
    app.receiverAddress = "192.168.1.20";
    EXPECT_EQ(logic.CorvidParameter(), 0xC0A80114u);
}
