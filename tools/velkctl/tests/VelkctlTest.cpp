// velkctl as a user runs it: the built program, started as a process, against the emulated
// receiver running in this test.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "common/Socket.h"
#include "tests/fixtures/RunningSim.h"
#include "tools/velkctl/tests/VelkctlRunner.h"

namespace {

using namespace std::chrono_literals;
using velkctl::testing::Outcome;
using velkctl::testing::RunVelkctl;

const std::string kChannelFolder = "/ftproot/System/Programmliste (Channel List)";

using VelkctlTest = velkctl::testing::VelkctlOnSim;

TEST_F(VelkctlTest, LoginSucceedsInEveryLanguageAndAWrongPinExitsOneWithTheMessage) {
    for (const char* code : {"ENG", "GER", "FIN", "DAN", "SWE"}) {
        Outcome o = Run({"--lang", code, "login"});
        EXPECT_EQ(o.status, 0) << code << ": " << o.err;
    }
    Outcome o = Run({"--pin", "2468", "login"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Login fail. Check server address and password.\n"), std::string::npos)
        << o.err;
}

TEST_F(VelkctlTest, TakesTheReceiverAndPinFromTheEnvironment) {
    Outcome o = RunVelkctl({"--ftp-port", std::to_string(sim_->ftpPort()), "login"},
                           {{"VELK_RECEIVER", "127.0.0.1"}, {"VELK_PIN", "0000"}});
    EXPECT_EQ(o.status, 0) << o.err;
    // An option beats the environment.
    o = RunVelkctl({"--ftp-port", std::to_string(sim_->ftpPort()), "--pin", "1", "login"},
                   {{"VELK_RECEIVER", "127.0.0.1"}, {"VELK_PIN", "0000"}});
    EXPECT_EQ(o.status, 1);
}

TEST_F(VelkctlTest, PutsAndGetsAFileInAFolderWithBlanksOrExitsOneWithTheReason) {
    const std::string bytes = fixtures::randomBytes(300000, 3) + "\r\n\n\r";
    fixtures::writeFile(local_ / "channel.xml", bytes);
    const std::string remote = kChannelFolder + "/channel.xml";
    Outcome o = Run({"put", (local_ / "channel.xml").string(), remote});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fixtures::readFile(sim_.channelList()) == bytes);
    o = Run({"get", remote, (local_ / "back.xml").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fixtures::readFile(local_ / "back.xml") == bytes);

    // A failed get exits 1 with the server's reply and leaves no file.
    o = Run({"get", kChannelFolder + "/missing.xml", (local_ / "missing.xml").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("550"), std::string::npos) << o.err;
    EXPECT_FALSE(std::filesystem::exists(local_ / "missing.xml"));

    o = Run({"put", (local_ / "nothing-here").string(), "/x.bin"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Can not open local file"), std::string::npos) << o.err;
}

TEST_F(VelkctlTest, ASilentReceiverFailsWithinItsTimeLimit) {
    // Accepts connections (the kernel does) but never says a word.
    common::Socket mute = common::Socket::listenTcp("127.0.0.1", 0);
    const auto start = std::chrono::steady_clock::now();
    Outcome o = RunVelkctl({"--receiver", "127.0.0.1", "--pin", "1", "--ftp-port",
                            std::to_string(mute.localPort()), "--timeout", "1", "login"});
    EXPECT_EQ(o.status, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_NE(o.err.find("Login fail."), std::string::npos);
}

TEST_F(VelkctlTest, UsageErrorsExitTwo) {
    EXPECT_EQ(RunVelkctl({}).status, 2);
    EXPECT_EQ(RunVelkctl({"frobnicate"}).status, 2);
    EXPECT_EQ(Run({"get", "/only-one"}).status, 2);
    EXPECT_EQ(Run({"get", "/folder/", "x"}).status, 2);
    EXPECT_EQ(Run({"login", "extra"}).status, 2);
    EXPECT_EQ(RunVelkctl({"--ftp-port", "seventy", "login"}).status, 2);
    EXPECT_EQ(RunVelkctl({"--ftp-port", "70000", "login"}).status, 2);
    EXPECT_EQ(RunVelkctl({"--bogus", "login"}).status, 2);
    EXPECT_EQ(Run({"--lang", "KLINGON", "login"}).status, 2);
    // A name or a short form is no address, whatever it would resolve to.
    for (const char* address : {"localhost", "127.1"}) {
        Outcome o = RunVelkctl({"--receiver", address, "--pin", "0000", "--ftp-port",
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

}  // namespace
