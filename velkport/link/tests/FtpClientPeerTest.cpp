// The FTP client against real servers: Debian's pyftpdlib, which we did not write, and the
// emulated receiver's own FTP server. Both must behave the same from the client's side.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/fixtures/PyFtpServer.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/FtpServer.h"
#include "velkport/link/FtpClient.h"

namespace velkport::link {
namespace {

using namespace std::chrono_literals;

const std::string kChannelFolder = "/ftproot/System/Programmliste (Channel List)";

// What a test asks of the server it runs against.
struct PeerSetup {
    std::string banner;  // empty: the server's own; otherwise sent as a multi-line greeting
    bool userWithoutPassword = false;
};

class FtpClientPeerTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(root_.path() /
                                            "ftproot/System/Programmliste (Channel List)");
        std::filesystem::create_directories(root_.path() / "locked");
    }

    // Starts the server; false (with a test failure) when it did not come up.
    bool Start(const PeerSetup& setup = {}) {
        std::string error;
        if (GetParam() == "pyftpdlib") {
            py_.emplace(fixtures::PyFtpOptions{
                .root = root_.path(),
                .user = "root",
                .password = "1234",
                .banner = setup.banner,
                .userWithoutPassword = setup.userWithoutPassword ? "guest" : "",
                .readOnlyFolders = {"locked"}});
            port_ = py_->port();
            EXPECT_TRUE(py_->ok()) << py_->error();
            return py_->ok();
        }
        receiversim::FtpServerOptions o;
        o.root = root_.path();
        o.user = setup.userWithoutPassword ? "guest" : "root";
        o.pin = "1234";
        if (!setup.banner.empty())
            o.banner = setup.banner;
        o.loginWithoutPassword = setup.userWithoutPassword;
        sim_ = std::make_unique<receiversim::FtpServer>(o);
        const bool ok = sim_->start(&error);
        port_ = sim_->port();
        EXPECT_TRUE(ok) << error;
        return ok;
    }
    bool LogOn(FtpClient& client, const std::string& user = "root",
               const std::string& pin = "1234") {
        return client.LogOn("127.0.0.1", port_, user, pin);
    }

    fixtures::TempDir root_;
    fixtures::TempDir local_;
    fixtures::RecordingPrompter prompter_;
    std::optional<fixtures::PyFtpServer> py_;
    std::unique_ptr<receiversim::FtpServer> sim_;
    std::uint16_t port_ = 0;
};

TEST_P(FtpClientPeerTest, RefusesAWrongPinThenReadsAMultiLineGreetingAsOneReplyAndLogsOn) {
    const std::string banner =
        GetParam() == "pyftpdlib"
            ? std::string(90, 'W')  // pyftpdlib splits greetings longer than 75 characters
            : "Welcome to the receiver.\nIts disk is served below.\nPlease log on.";
    ASSERT_TRUE(Start({.banner = banner}));
    FtpClient wrong(prompter_, 5s);
    EXPECT_FALSE(LogOn(wrong, "root", "9999"));
    EXPECT_EQ(wrong.LastReply().substr(0, 3), "530");
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"Error Invalid Response"});
    EXPECT_EQ(prompter_.entries[0].icon, shell::PromptIcon::None);

    FtpClient client(prompter_, 5s);
    ASSERT_TRUE(LogOn(client)) << client.LastReply();
    EXPECT_EQ(client.LastReply().substr(0, 3), "230");
    EXPECT_EQ(prompter_.entries.size(), 1u);
    // Still in step with the server: the next reply belongs to the next command.
    ASSERT_TRUE(client.Command("PWD"));
    EXPECT_EQ(client.LastReply().substr(0, 3), "257");
}

TEST_P(FtpClientPeerTest, LogsOnWithUserAloneWhenTheServerAsksForNoPassword) {
    ASSERT_TRUE(Start({.userWithoutPassword = true}));
    FtpClient client(prompter_, 5s);
    ASSERT_TRUE(LogOn(client, "guest", "ignored")) << client.LastReply();
    EXPECT_EQ(client.LastReply().substr(0, 3), "230");
    ASSERT_TRUE(client.Command("PWD"));  // would read PASS's reply if PASS had been sent
    EXPECT_EQ(client.LastReply().substr(0, 3), "257");
}

// That paths cannot leave the root is the emulated receiver's FTP server's own test.
TEST_P(FtpClientPeerTest, MovesA10MiBAndAnEmptyFileBothWaysByteForByte) {
    ASSERT_TRUE(Start());
    // Every byte value, CR/LF pairs and lone LFs: an ASCII-mode transfer would change them.
    std::string bytes = fixtures::randomBytes(10 * 1024 * 1024, 7);
    bytes.replace(0, 6, "\r\n\n\r\0\xFF", 6);
    fixtures::writeFile(local_ / "up.bin", bytes);
    fixtures::writeFile(local_ / "empty", "");
    fixtures::writeFile(local_ / "stale", "old contents");

    FtpClient client(prompter_);
    ASSERT_TRUE(LogOn(client));
    ASSERT_TRUE(client.TransferFile("empty.bin", local_ / "empty", false)) << client.LastReply();
    ASSERT_TRUE(std::filesystem::exists(root_.path() / "empty.bin"));
    EXPECT_EQ(std::filesystem::file_size(root_.path() / "empty.bin"), 0u);
    ASSERT_TRUE(client.TransferFile("empty.bin", local_ / "stale", true)) << client.LastReply();
    EXPECT_EQ(std::filesystem::file_size(local_ / "stale"), 0u);

    ASSERT_TRUE(client.Command("CWD " + kChannelFolder)) << client.LastReply();
    ASSERT_TRUE(client.TransferFile("big.bin", local_ / "up.bin", false)) << client.LastReply();
    EXPECT_EQ(client.LastReply().substr(0, 3), "226");
    EXPECT_TRUE(fixtures::readFile(root_.path() /
                                   "ftproot/System/Programmliste (Channel List)/big.bin") == bytes);
    ASSERT_TRUE(client.TransferFile("big.bin", local_ / "down.bin", true)) << client.LastReply();
    EXPECT_TRUE(fixtures::readFile(local_ / "down.bin") == bytes);
    // The closing replies were read: the control connection still answers in step.
    ASSERT_TRUE(client.Command("PWD"));
    EXPECT_NE(client.LastReply().find("Programmliste (Channel List)"), std::string::npos);
    client.LogOff();
    EXPECT_FALSE(client.Connected());
}

TEST_P(FtpClientPeerTest, RefusalsFailKeepTheFilesOnBothSidesAndTheConnectionGoesOn) {
    ASSERT_TRUE(Start());
    fixtures::writeFile(local_ / "mine.xml", "the user's own list");
    fixtures::writeFile(local_ / "f", "data");
    FtpClient client(prompter_, 5s);
    ASSERT_TRUE(LogOn(client));
    EXPECT_FALSE(client.TransferFile("missing.xml", local_ / "mine.xml", true));
    EXPECT_EQ(client.LastReply()[0], '5');
    EXPECT_EQ(fixtures::readFile(local_ / "mine.xml"), "the user's own list");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(local_.path()), {}), 2);

    EXPECT_FALSE(client.Command("CWD /no/such/folder"));
    EXPECT_EQ(client.LastReply().substr(0, 3), "550");
    EXPECT_FALSE(client.TransferFile("nofolder/f", local_ / "f", false));
    EXPECT_EQ(client.LastReply()[0], '5');
    // A missing file or a folder is refused before anything is sent: the remote file stays.
    fixtures::writeFile(root_.path() / "firmware.bin", "image");
    for (const auto& source : {local_ / "does-not-exist", local_.path()}) {
        EXPECT_FALSE(client.TransferFile("firmware.bin", source, false));
        EXPECT_EQ(client.LastReply(), "Can not open local file");
    }
    EXPECT_EQ(fixtures::readFile(root_.path() / "firmware.bin"), "image");
    if (GetParam() == "pyftpdlib") {  // only pyftpdlib knows read-only folders
        ASSERT_TRUE(client.Command("CWD /locked"));
        EXPECT_FALSE(client.TransferFile("f", local_ / "f", false));
        EXPECT_EQ(client.LastReply().substr(0, 3), "550");
        EXPECT_FALSE(std::filesystem::exists(root_.path() / "locked/f"));
    }
}

INSTANTIATE_TEST_SUITE_P(RealServers, FtpClientPeerTest,
                         ::testing::Values("pyftpdlib", "receiversim"),
                         [](const auto& p) { return p.param; });

}  // namespace
}  // namespace velkport::link
