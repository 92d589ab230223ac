#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/shell/MainWindowLogic.h"
#include "velkport/shell/base/MessageCatalogue.h"

using namespace velkport::shell;
using Texts = std::vector<std::string>;

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
    Texts calls;
};

class MainWindowLogicTest : public ::testing::Test {
  protected:
    void SetUp() override { MessageCatalogue::instance().SetLanguage(kEnglish); }
    AppContext app;
    fixtures::RecordingPrompter prompter;
    MainWindowLogic logic{app, prompter};
    FakeProbe probe;
};

// The buttons the bar enables, in the bar's order.
std::vector<Button> enabledButtons(const FunctionBar& bar) {
    std::vector<Button> out;
    for (int b = 0; b < kButtonCount; ++b)
        if (bar.enabled(static_cast<Button>(b)))
            out.push_back(static_cast<Button>(b));
    return out;
}

}  // namespace

TEST_F(MainWindowLogicTest, EachFunctionAsksOnlyItsOwnChannelAndRefusesWithItsOwnMessageWhenBusy) {
    logic.bar().setOnline(true);
    const struct {
        Manager manager;
        int channel;
        const char* busy;
    } cases[] = {
        {Manager::Mp3, 2, "MP3 is using in DVR"},
        {Manager::Jpeg, 3, "JPEG is using in DVR"},
        {Manager::Game, 4, "Game is using in DVR"},
        {Manager::Record, 5, "Record is using in DVR"},
        {Manager::Channel, 4, "Channel is using in DVR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.busy);
        prompter.entries.clear();
        probe.calls.clear();
        probe.busy = {1, 2, 3, 4, 5};
        probe.busy.erase(c.channel);  // other channels busy must not matter
        EXPECT_EQ(logic.CheckOpen(c.manager, probe), OpenCheck::Open);
        ASSERT_FALSE(probe.calls.empty());
        EXPECT_EQ(probe.calls.back(), "inuse " + std::to_string(c.channel));
        EXPECT_TRUE(prompter.entries.empty());

        probe.busy = {c.channel};
        EXPECT_EQ(logic.CheckOpen(c.manager, probe), OpenCheck::Refused);
        ASSERT_EQ(prompter.entries.size(), 1u);
        EXPECT_EQ(prompter.entries[0].text, c.busy);
        EXPECT_EQ(prompter.entries[0].icon, PromptIcon::Error);
    }
}

TEST_F(MainWindowLogicTest, GameChecksReadinessBeforeTheInUseQuery) {
    logic.bar().setOnline(true);
    probe.notReady = {4};
    EXPECT_EQ(logic.CheckOpen(Manager::Game, probe), OpenCheck::Refused);
    EXPECT_EQ(probe.calls, Texts{"ready 4"});
    EXPECT_TRUE(prompter.said("DVR is not connected"));
}

TEST_F(MainWindowLogicTest, UpgradeNeedsChannelOneReadyOnlineAndOffline) {
    for (bool online : {true, false}) {
        logic.bar().setOnline(online);
        probe.calls.clear();
        EXPECT_EQ(logic.CheckOpen(Manager::Upgrade, probe), OpenCheck::Open);
        EXPECT_EQ(probe.calls, Texts{"ready 1"});
    }
    probe.notReady = {1};
    EXPECT_EQ(logic.CheckOpen(Manager::Upgrade, probe), OpenCheck::Refused);
    EXPECT_TRUE(prompter.said("DVR is not connected"));
}

TEST_F(MainWindowLogicTest, OfflineDecliningTheRemoteControlTurnsItOffWithoutAskingTheReceiver) {
    EXPECT_TRUE(logic.bar().enabled(Button::Rmc));
    prompter.answerNo();
    EXPECT_EQ(logic.CheckOpen(Manager::RemoteControl, probe), OpenCheck::Refused);
    EXPECT_TRUE(probe.calls.empty()) << "offline never queries the receiver";
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_TRUE(prompter.entries[0].question);
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

TEST_F(MainWindowLogicTest, AFirstTickWhoseChannelsDoNotStartLeavesTheBarOfflineWithItsMessage) {
    std::optional<std::pair<std::string, std::uint16_t>> seen;
    app.receiverAddress = "127.0.0.1";
    app.portBase = 41000;
    EXPECT_FALSE(logic.InitialiseChannels([&](const std::string& a, std::uint16_t base) {
        seen.emplace(a, base);
        return false;
    }));
    EXPECT_EQ(seen, std::make_pair(std::string("127.0.0.1"), std::uint16_t{41000}));
    EXPECT_FALSE(logic.bar().online());
    EXPECT_EQ(prompter.texts(), Texts{"Socket init failed"});
}

TEST(FunctionBarTest, ButtonsFollowTheRefreshTable) {
    FunctionBar bar;
    bar.setAvailable(Manager::Channel, true);
    bar.setAvailable(Manager::Upgrade, true);
    bar.setOnline(true);
    // Managers whose windows this program does not have stay disabled.
    EXPECT_EQ(enabledButtons(bar),
              (std::vector<Button>{Button::Channel, Button::Upgrade, Button::Samba, Button::Rmc,
                                   Button::Corvid}));
    for (Manager m : {Manager::Mp3, Manager::Jpeg, Manager::Game, Manager::Record})
        bar.setAvailable(m, true);
    bar.setOnline(false);
    EXPECT_EQ(enabledButtons(bar), (std::vector<Button>{Button::Channel, Button::Record,
                                                        Button::Mp3, Button::Jpeg, Button::Rmc}));
    bar.setOnline(true);
    EXPECT_EQ(enabledButtons(bar).size(), 9u);
    bar.setWindow(Manager::Game, true);
    bar.setWindow(Manager::Channel, true);
    bar.setWindow(Manager::Mp3, true);  // pressing it again re-centres the window
    EXPECT_EQ(enabledButtons(bar),
              (std::vector<Button>{Button::Upgrade, Button::Record, Button::Mp3, Button::Jpeg,
                                   Button::Samba, Button::Rmc, Button::Corvid}));
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

TEST(CorvidAddressTest, FourNumbersArePackedFirstNumberMostSignificantAnythingElseIsRefused) {
    const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
        {"192.168.1.20", 0xC0A80114u},
        {"127.0.0.1", 0x7F000001u},
        {"0.0.0.0", 0u},
        {"", std::nullopt},
        {"192.168.1", std::nullopt},
        {"receiver.local", std::nullopt},
        {"192.168..20", std::nullopt},
    };
    for (const auto& [text, packed] : cases)
        EXPECT_EQ(PackReceiverAddress(text), packed) << text;
}

TEST_F(MainWindowLogicTest, CorvidParameterComplainsAboutAnAddressThatIsNotDotted) {
    app.receiverAddress = "dvr";
    EXPECT_FALSE(logic.CorvidParameter());
    EXPECT_EQ(prompter.texts(), Texts{"This is not IP address"});
}
