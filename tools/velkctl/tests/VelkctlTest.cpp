// velkctl as a user runs it: the built program, started as a process, against the emulated
// receiver running in this test.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "common/Socket.h"
#include "tests/fixtures/RunningSim.h"
#include "tools/velkctl/tests/VelkctlRunner.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using velkctl::testing::Outcome;
using velkctl::testing::RunVelkctl;
using velkctl::testing::VelkctlPath;

const std::string kChannelFolder = "/ftproot/System/Programmliste (Channel List)";

class VelkctlTest : public ::testing::Test {
  protected:
    static receiversim::SimOptions Pin() {
        receiversim::SimOptions o;
        o.pin = "1357";
        return o;
    }
    void SetUp() override {
        ASSERT_TRUE(sim_.ok()) << sim_.error();
        ASSERT_TRUE(std::filesystem::exists(VelkctlPath())) << VelkctlPath();
    }
    // The receiver's address and ports, and the pin unless given.
    std::vector<std::string> Receiver(const std::string& pin = "1357") {
        return {"--receiver",  "127.0.0.1",
                "--pin",       pin,
                "--ftp-port",  std::to_string(sim_->ftpPort()),
                "--port-base", std::to_string(sim_->portBase())};
    }
    std::vector<std::string> With(std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    fixtures::RunningSim sim_{Pin()};
    fixtures::TempDir local_;
};

TEST_F(VelkctlTest, LoginSucceedsWithTheRightPinAndAWrongOneExitsOneWithTheMessage) {
    Outcome o = RunVelkctl(With(Receiver(), {"login"}));
    EXPECT_EQ(o.status, 0) << o.err;
    o = RunVelkctl(With(Receiver("2468"), {"login"}));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Login fail. Check server address and password.\n"), std::string::npos)
        << o.err;
}

TEST_F(VelkctlTest, TakesTheReceiverAndPinFromTheEnvironment) {
    Outcome o = RunVelkctl({"--ftp-port", std::to_string(sim_->ftpPort()), "login"},
                           {{"VELK_RECEIVER", "127.0.0.1"}, {"VELK_PIN", "1357"}});
    EXPECT_EQ(o.status, 0) << o.err;
    // An option beats the environment.
    o = RunVelkctl({"--ftp-port", std::to_string(sim_->ftpPort()), "--pin", "1", "login"},
                   {{"VELK_RECEIVER", "127.0.0.1"}, {"VELK_PIN", "1357"}});
    EXPECT_EQ(o.status, 1);
}

TEST_F(VelkctlTest, PutsAndGetsABinaryFileInAFolderWithBlanksByteForByte) {
    const std::string bytes = fixtures::randomBytes(300000, 3) + "\r\n\n\r";
    fixtures::writeFile(local_ / "channel.xml", bytes);
    const std::string remote = kChannelFolder + "/channel.xml";
    Outcome o = RunVelkctl(With(Receiver(), {"put", (local_ / "channel.xml").string(), remote}));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fixtures::readFile(sim_.root() /
                                   "ftproot/System/Programmliste (Channel List)/channel.xml") ==
                bytes);
    o = RunVelkctl(With(Receiver(), {"get", remote, (local_ / "back.xml").string()}));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fixtures::readFile(local_ / "back.xml") == bytes);
}

TEST_F(VelkctlTest, AFailedGetExitsOneWithTheServersReplyAndLeavesNoFile) {
    Outcome o = RunVelkctl(With(
        Receiver(), {"get", kChannelFolder + "/missing.xml", (local_ / "missing.xml").string()}));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("550"), std::string::npos) << o.err;
    EXPECT_FALSE(std::filesystem::exists(local_ / "missing.xml"));

    o = RunVelkctl(With(Receiver(), {"put", (local_ / "nothing-here").string(), "/x.bin"}));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Can not open local file"), std::string::npos) << o.err;

    o = RunVelkctl(With(Receiver(), {"get", "/no/such/folder/f", (local_ / "f").string()}));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("550"), std::string::npos) << o.err;
}

TEST_F(VelkctlTest, ASilentReceiverFailsWithinItsTimeLimit) {
    // Accepts connections (the kernel does) but never says a word.
    common::Socket mute = common::Socket::listenTcp("127.0.0.1", 0);
    const auto start = Clock::now();
    Outcome o = RunVelkctl({"--receiver", "127.0.0.1", "--pin", "1", "--ftp-port",
                            std::to_string(mute.localPort()), "--timeout", "1", "login"});
    EXPECT_EQ(o.status, 1);
    EXPECT_LT(Clock::now() - start, 10s);
    EXPECT_NE(o.err.find("Login fail."), std::string::npos);
}

TEST_F(VelkctlTest, UsageErrorsExitTwo) {
    EXPECT_EQ(RunVelkctl({}).status, 2);
    EXPECT_EQ(RunVelkctl({"frobnicate"}).status, 2);
    EXPECT_EQ(RunVelkctl(With(Receiver(), {"get", "/only-one"})).status, 2);
    EXPECT_EQ(RunVelkctl(With(Receiver(), {"get", "/folder/", "x"})).status, 2);
    EXPECT_EQ(RunVelkctl(With(Receiver(), {"login", "extra"})).status, 2);
    EXPECT_EQ(RunVelkctl({"--ftp-port", "seventy", "login"}).status, 2);
    EXPECT_EQ(RunVelkctl({"--ftp-port", "70000", "login"}).status, 2);
    EXPECT_EQ(RunVelkctl({"--bogus", "login"}).status, 2);
    EXPECT_EQ(RunVelkctl(With(Receiver(), {"--lang", "KLINGON", "login"})).status, 2);
    // A name or a short form is no address, whatever it would resolve to.
    for (const char* address : {"localhost", "127.1"}) {
        Outcome o = RunVelkctl({"--receiver", address, "--pin", "1357", "--ftp-port",
                                std::to_string(sim_->ftpPort()), "login"});
        EXPECT_EQ(o.status, 2) << address;
        EXPECT_NE(o.err.find("Input IP address"), std::string::npos) << o.err;
    }
    Outcome o = RunVelkctl({"--receiver", "127.0.0.1", "login"});  // no pin anywhere
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("Input password"), std::string::npos) << o.err;
}

TEST_F(VelkctlTest, HelpDescribesEveryCommand) {
    Outcome o = RunVelkctl({"--help"});
    EXPECT_EQ(o.status, 0);
    for (const char* c : {"login", "get REMOTE_PATH LOCAL_FILE", "put LOCAL_FILE REMOTE_PATH"})
        EXPECT_NE(o.out.find(c), std::string::npos) << c;
    for (const char* c : {"login", "get", "put"}) {
        o = RunVelkctl({c, "--help"});
        EXPECT_EQ(o.status, 0) << c;
        EXPECT_NE(o.out.find(std::string("usage: velkctl [OPTIONS] ") + c), std::string::npos);
    }
}

TEST_F(VelkctlTest, AcceptsEveryLanguageCode) {
    for (const char* code : {"ENG", "GER", "FIN", "DAN", "SWE"}) {
        Outcome o = RunVelkctl(With(Receiver(), {"--lang", code, "login"}));
        EXPECT_EQ(o.status, 0) << code << ": " << o.err;
    }
}

}  // namespace
