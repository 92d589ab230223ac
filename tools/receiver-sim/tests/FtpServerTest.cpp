// The emulated receiver's FTP server: the parts a client cannot reach by ordinary use (paths
// that try to leave the root, foreign PORT addresses, idle and misbehaving clients).

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "common/Socket.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/FtpServer.h"
#include "velkport/link/FtpClient.h"
#include "velkport/link/FtpReplyReader.h"

namespace receiversim {
namespace {

using velkport::link::FtpClient;
using velkport::link::FtpReplyReader;

using namespace std::chrono_literals;

class FtpServerTest : public ::testing::Test {
  protected:
    void Start(FtpServerOptions o = {}) {
        o.root = root_.path();
        o.pin = "2468";
        server_ = std::make_unique<FtpServer>(o);
        std::string error;
        ASSERT_TRUE(server_->start(&error)) << error;
    }
    bool LogOn(FtpClient& client) {
        return client.LogOn("127.0.0.1", server_->port(), "root", "2468");
    }
    // Starts the server with the usual options and logs client_ on.
    bool StartLoggedOn() {
        Start();
        return LogOn(client_);
    }
    // A raw control connection and a reader for its replies.
    struct Raw {
        explicit Raw(std::uint16_t port) : s(common::Socket::connectTcp("127.0.0.1", port, 5s)) {
            EXPECT_TRUE(s.valid());
        }
        common::Socket s;
        FtpReplyReader reader{[this](char* into, std::size_t n) -> long {
            return static_cast<long>(s.receiveSome(into, n, 10s));
        }};
        std::string Line() {
            std::string l;
            reader.ReadLine(l);
            return l;
        }
    };

    fixtures::TempDir root_;
    fixtures::TempDir local_;
    fixtures::RecordingPrompter prompter_;
    std::unique_ptr<FtpServer> server_;
    FtpClient client_{prompter_, 5s};
};

TEST_F(FtpServerTest, RefusesEverythingButLogonBeforeLogon) {
    Start();
    ASSERT_TRUE(client_.LogOn("127.0.0.1", server_->port(), "nobody", "2468") == false);
    EXPECT_EQ(client_.LastReply(), "530 Login incorrect.");
    EXPECT_FALSE(client_.Command("CWD /"));
    EXPECT_EQ(client_.LastReply().substr(0, 3), "530");
    EXPECT_FALSE(client_.Command("PASS 2468"));  // USER must come first again
    EXPECT_EQ(client_.LastReply().substr(0, 3), "503");
}

TEST_F(FtpServerTest, AnswersUnofferedUnknownAndIllegalCommandsLikeARealServer) {
    ASSERT_TRUE(StartLoggedOn());
    EXPECT_FALSE(client_.Command("LIST"));
    EXPECT_EQ(client_.LastReply().substr(0, 3), "502");
    EXPECT_FALSE(client_.Command("FROB x"));
    EXPECT_EQ(client_.LastReply().substr(0, 3), "500");
    EXPECT_FALSE(client_.Command("TYPE E"));
    EXPECT_EQ(client_.LastReply().substr(0, 3), "504");
    EXPECT_TRUE(client_.Command("type i"));   // verbs are not case-sensitive
    EXPECT_FALSE(client_.Command("RETR x"));  // no PORT yet
    EXPECT_EQ(client_.LastReply().substr(0, 3), "425");
    // Data goes only back to the client, to a port that is not privileged.
    EXPECT_FALSE(client_.Command("PORT 10,1,2,3,19,137"));
    EXPECT_EQ(client_.LastReply(), "500 Illegal PORT command.");
    EXPECT_FALSE(client_.Command("PORT 127,0,0,1,0,21"));
    EXPECT_FALSE(client_.Command("PORT 127,0,0,1,300,1"));
    EXPECT_EQ(client_.LastReply().substr(0, 3), "501");
}

TEST_F(FtpServerTest, SymbolicLinksCannotLeadOutOfTheRoot) {
    fixtures::TempDir outside;
    fixtures::writeFile(outside / "secret", "secret");
    std::filesystem::create_directory_symlink(outside.path(), root_.path() / "escape");
    std::filesystem::create_symlink(outside / "secret", root_.path() / "secret-link");
    ASSERT_TRUE(StartLoggedOn());
    EXPECT_FALSE(client_.Command("CWD /escape"));
    EXPECT_FALSE(client_.TransferFile("secret-link", local_ / "got", true));
    EXPECT_FALSE(client_.TransferFile("escape/secret", local_ / "got", true));
    fixtures::writeFile(local_ / "up", "overwrite");
    EXPECT_FALSE(client_.TransferFile("escape/new", local_ / "up", false));
    EXPECT_FALSE(std::filesystem::exists(outside / "new"));
    EXPECT_EQ(fixtures::readFile(outside / "secret"), "secret");
}

TEST_F(FtpServerTest, QuotesThePathInPwdAndTakesPathsAboveTheRootAsTheRoot) {
    std::filesystem::create_directories(root_.path() / "a \"b\"/c");
    fixtures::writeFile(root_ / "inside.txt", "inside");
    ASSERT_TRUE(StartLoggedOn());
    ASSERT_TRUE(client_.Command("CWD a \"b\"/c"));
    ASSERT_TRUE(client_.Command("PWD"));
    EXPECT_EQ(client_.LastReply(), "257 \"/a \"\"b\"\"/c\" is the current directory.");
    ASSERT_TRUE(client_.Command("CDUP"));
    ASSERT_TRUE(client_.Command("CWD ../../../.."));
    ASSERT_TRUE(client_.Command("PWD"));
    EXPECT_EQ(client_.LastReply(), "257 \"/\" is the current directory.");
    ASSERT_TRUE(client_.TransferFile("../../inside.txt", local_ / "got", true));
    EXPECT_EQ(fixtures::readFile(local_ / "got"), "inside");
}

TEST_F(FtpServerTest, ClosesAnIdleSessionWith421) {
    Start({.idleTimeout = 200ms});
    Raw raw(server_->port());
    EXPECT_EQ(raw.Line().substr(0, 3), "220");
    EXPECT_EQ(raw.Line(), "421 Timeout.");
}

TEST_F(FtpServerTest, HangsUpOnAnOverLongCommandLine) {
    Start();
    Raw raw(server_->port());
    raw.Line();
    const std::string junk(20000, 'A');
    raw.s.sendAll(junk.data(), junk.size(), 5s);
    EXPECT_EQ(raw.Line(), "500 Command line too long.");
    std::string rest;
    EXPECT_FALSE(raw.reader.ReadLine(rest));  // closed
}

TEST_F(FtpServerTest, StopsPromptlyWithClientsStillConnected) {
    ASSERT_TRUE(StartLoggedOn());
    Raw silent(server_->port());
    const auto start = std::chrono::steady_clock::now();
    server_->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_FALSE(client_.Command("NOOP"));
}

TEST_F(FtpServerTest, AnUploadThatBreaksOffLeavesTheOldFileAsItWas) {
    fixtures::writeFile(root_ / "channel.xml", "old list");
    Start({.dataTimeout = 300ms});
    Raw raw(server_->port());
    raw.Line();
    auto say = [&](const std::string& line) {
        const std::string l = line + "\r\n";
        raw.s.sendAll(l.data(), l.size(), 5s);
        return raw.Line();
    };
    say("USER root");
    ASSERT_EQ(say("PASS 2468").substr(0, 3), "230");
    common::Socket listener = common::Socket::listenTcp("127.0.0.1", 0, 1);
    ASSERT_EQ(
        say("PORT " + FtpClient::PortArgument("127.0.0.1", listener.localPort())).substr(0, 3),
        "200");
    ASSERT_EQ(say("STOR channel.xml").substr(0, 3), "150");
    common::Socket data = listener.accept(5s);
    ASSERT_TRUE(data.valid());
    data.sendAll("new", 3, 5s);  // and then nothing more: the server gives up
    EXPECT_EQ(raw.Line().substr(0, 3), "426");
    EXPECT_EQ(fixtures::readFile(root_ / "channel.xml"), "old list");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_.path()), {}), 1);
}

TEST_F(FtpServerTest, TurnsAwayClientsBeyondItsSessionLimit) {
    Start({.maxSessions = 1});
    ASSERT_TRUE(LogOn(client_));
    FtpClient second(prompter_, 5s);
    EXPECT_FALSE(LogOn(second));
    EXPECT_EQ(second.LastReply(), "421 Too many connections.");
}

}  // namespace
}  // namespace receiversim
