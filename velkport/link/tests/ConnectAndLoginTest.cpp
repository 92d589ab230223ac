// The connect step: the Connect dialog's checks and remembered address, and the logon that
// follows, against the emulated receiver.

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ConnectAndLogin.h"
#include "velkport/link/ConnectDialog.h"
#include "velkport/link/ReceiverAddress.h"

namespace velkport::link {
namespace {

using namespace std::chrono_literals;

// Plays the user: each press fills the fields and presses a button; a Connect that the dialog
// refuses leaves it open for the next press. Running out of presses closes the window.
class ScriptedView : public ConnectDialogView {
  public:
    struct Press {
        ConnectResult button;
        std::string address;
        std::string pin;
        std::string userId = "root";
    };

    void SetAddress(const std::string& address) override { address_ = shownAddress = address; }
    void SetUserId(const std::string& userId) override { userId_ = shownUserId = userId; }
    void SetConnectHandler(ConnectHandler handler) override { handler_ = std::move(handler); }
    ConnectResult Run() override {
        ++runs;
        while (!presses.empty()) {
            Press p = presses.front();
            presses.pop_front();
            address_ = p.address;
            userId_ = p.userId;
            pin_ = p.pin;
            if (p.button != ConnectResult::Connect)
                return p.button;
            if (handler_ && handler_(address_, userId_, pin_))
                return ConnectResult::Connect;
        }
        return ConnectResult::Cancel;
    }
    std::string Address() const override { return address_; }
    std::string UserId() const override { return userId_; }
    std::string PinCode() const override { return pin_; }

    std::deque<Press> presses;
    std::string shownAddress = "(not set)";
    std::string shownUserId;
    int runs = 0;

  private:
    ConnectHandler handler_;
    std::string address_, userId_, pin_;
};

class ConnectAndLoginTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.ok()) << sim_.error();
        app_.ftpPort = sim_->ftpPort();
    }

    fixtures::RunningSim sim_{{.pin = "8642"}};
    fixtures::TempDir config_;
    shell::SettingsStore settings_{config_ / "Velkport.ini"};
    fixtures::RecordingPrompter prompter_;
    shell::AppContext app_;
    ScriptedView view_;
};

TEST_F(ConnectAndLoginTest, CancelClosesTheUpgradeWindowAndOffLineSucceedsWithoutConnecting) {
    int closedAtRun = -1;
    view_.presses.push_back({ConnectResult::Cancel, "", ""});
    ConnectAndLogin step(app_, prompter_, &settings_);
    step.SetCloseUpgradeWindow([&] { closedAtRun = view_.runs; });
    EXPECT_FALSE(step.Run(view_));
    EXPECT_EQ(closedAtRun, 0);
    EXPECT_EQ(view_.shownAddress, "(not set)");  // nothing remembered
    EXPECT_EQ(view_.shownUserId, "root");

    // Off line: no checks, the old link kept. That it stores and says nothing is checked at the
    // main window.
    app_.receiverAddress = "127.0.0.1";
    app_.pinCode = "8642";
    view_.presses.push_back({ConnectResult::OffLine, "10.9.9.9", ""});
    ConnectAndLogin offLine(app_, prompter_, &settings_);
    EXPECT_TRUE(offLine.Run(view_));
    EXPECT_FALSE(offLine.Online());
    EXPECT_EQ(app_.receiverAddress, "127.0.0.1");
    EXPECT_EQ(app_.pinCode, "8642");
}

// The dialog staying open on an empty field, and the address and user id stored and remembered
// after the logon, are checked at the main window against the emulated receiver.
TEST_F(ConnectAndLoginTest, TheDialogShowsTheRememberedAddressAndTheLogonKeepsThePin) {
    settings_.SaveLastAddress("192.168.0.10");
    view_.presses.push_back({ConnectResult::Connect, "127.0.0.1", "8642"});
    ConnectAndLogin step(app_, prompter_, &settings_);
    EXPECT_TRUE(step.Run(view_));
    EXPECT_TRUE(step.Online());
    EXPECT_EQ(view_.shownAddress, "192.168.0.10");
    EXPECT_EQ(app_.pinCode, "8642");
}

TEST_F(ConnectAndLoginTest, ChecksUserIdPinAndAddressInTurnButNotThePinsLength) {
    ConnectDialog dialog(view_, prompter_, &settings_);
    EXPECT_FALSE(dialog.OnConnect("", "", ""));
    EXPECT_FALSE(dialog.OnConnect("", "root", ""));
    EXPECT_FALSE(dialog.OnConnect("", "root", "1"));
    EXPECT_EQ(prompter_.texts(),
              (std::vector<std::string>{"Input user id", "Input password", "Input IP address"}));
    for (const auto& e : prompter_.entries)
        EXPECT_EQ(e.icon, shell::PromptIcon::Error);
    EXPECT_FALSE(settings_.LoadLastAddress().has_value());  // nothing stored on a refusal
    prompter_.entries.clear();
    // A short form is refused like a missing address, before any lookup.
    EXPECT_FALSE(dialog.OnConnect("127.1", "root", "1"));
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"Input IP address"});
    prompter_.entries.clear();
    EXPECT_TRUE(dialog.OnConnect("10.0.0.1", "root", "1"));
    EXPECT_TRUE(dialog.OnConnect("10.0.0.1", "root", std::string(300, '7')));
    EXPECT_TRUE(prompter_.entries.empty());
}

// A wrong PIN is refused by the same emulated receiver in the main window's tests.
TEST_F(ConnectAndLoginTest, AnUnreachableReceiverFailsWithBothMessages) {
    sim_.stop();
    view_.presses.push_back({ConnectResult::Connect, "127.0.0.1", "8642"});
    ConnectAndLogin unreachable(app_, prompter_, nullptr);
    unreachable.SetTimeout(2s);
    EXPECT_FALSE(unreachable.Run(view_));
    EXPECT_FALSE(unreachable.Online());
    EXPECT_EQ(prompter_.texts(),
              (std::vector<std::string>{"Error OpenChannel", ConnectAndLogin::kLoginFailed}));
    EXPECT_EQ(prompter_.entries.back().icon, shell::PromptIcon::Error);
}

TEST(ReceiverAddress, OnlyFourDottedDecimalNumbersUpTo255Pass) {
    for (const char* good : {"192.168.1.20", "0.0.0.0", "255.255.255.255", "10.0.0.1"})
        EXPECT_TRUE(ReceiverAddress::IsValid(good)) << good;
    for (const char* bad : {"", "receiver", "localhost", "192.168.1", "127.1", "256.1.1.1",
                            "1.2.3.4.", " 1.2.3.4", "1.2.3.4 ", "01.2.3.4", "1..2.3", "1.2.3.-4",
                            "1.2.3.4x", "1234.1.1.1", "0x7f.0.0.1", "1.2.3.4\n"})
        EXPECT_FALSE(ReceiverAddress::IsValid(bad)) << bad;
}

TEST_F(ConnectAndLoginTest, TheLogonRefusesANameThatALookupWouldTurnIntoAnAddress) {
    FtpClient client(prompter_, 2s);
    EXPECT_FALSE(client.LogOn("localhost", app_.ftpPort, "root", "8642"));
    EXPECT_EQ(client.LastReply(), "Input IP address");
}

}  // namespace
}  // namespace velkport::link
