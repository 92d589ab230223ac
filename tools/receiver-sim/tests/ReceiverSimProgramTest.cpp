// The receiver-sim program as a process: it says "ready" once it listens, serves, and ends with
// exit status 0 on SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <regex>
#include <string>

#include "tests/fixtures/ChildProcess.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReceiverLink.h"

using namespace std::chrono_literals;

TEST(ReceiverSimProgram, SaysReadyServesAndStopsOnSigterm) {
    fixtures::TempDir dir;
    fixtures::ChildProcess sim(
        {RECEIVER_SIM_PROGRAM, "--root", dir.path().string(), "--address", "127.0.0.1",
         "--ftp-port", "0", "--port-base", "0", "--busy", "3", "--pin", "1234"},
        dir / "err.log");
    std::string line;
    ASSERT_TRUE(sim.readLine(line, 10000ms)) << "no ready line";
    EXPECT_EQ(line, "ready");
    const std::string ports = fixtures::readFile(dir / "err.log");  // written before "ready"
    std::smatch m;
    ASSERT_TRUE(std::regex_search(ports, m, std::regex("command channels (\\d+)-(\\d+)"))) << ports;

    velkport::link::ChannelTable table;
    fixtures::RecordingPrompter prompter;
    table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(std::stoi(m[1])));
    table.setTimeLimit(3000ms);
    velkport::link::ReceiverLink link(table, prompter);
    bool answered = false;
    EXPECT_TRUE(link.InUse(3, &answered));
    EXPECT_TRUE(answered);
    EXPECT_FALSE(link.InUse(2, &answered));
    EXPECT_TRUE(answered);

    ASSERT_TRUE(sim.signal(SIGTERM));
    EXPECT_EQ(sim.wait(10000ms), 0);
    EXPECT_FALSE(sim.readLine(line, 1000ms)) << "exactly one line on stdout";
}

TEST(ReceiverSimProgram, RefusesToStartWithoutARootAndExplainsItsOptions) {
    fixtures::ChildProcess noRoot({RECEIVER_SIM_PROGRAM, "--port-base", "0"});
    EXPECT_EQ(noRoot.wait(10000ms), 2);
    fixtures::ChildProcess help({RECEIVER_SIM_PROGRAM, "--help"});
    std::string line;
    ASSERT_TRUE(help.readLine(line, 10000ms));
    EXPECT_EQ(line.rfind("usage: receiver-sim --root DIR", 0), 0u) << line;
    EXPECT_EQ(help.wait(10000ms), 0);
}
