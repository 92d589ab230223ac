// The emulated receiver's command channels: ports, the in-use query, the dispatch table, many
// connections, clients that stall or vanish, stopping, and paths that try to leave the root.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "common/Socket.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tools/receiver-sim/ReceiverSim.h"
#include "tools/receiver-sim/SimPaths.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/CommandHeader.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"

using namespace std::chrono_literals;
using namespace velkport::link;
namespace fs = std::filesystem;
using receiversim::CommandSession;
using receiversim::ReceiverSim;
using receiversim::SimOptions;

namespace {

// Clients that stall are dropped after 300 ms.
const SimOptions kQuick{.timeLimit = 300ms};

// A client of the sim: its own channel table, as the program has one.
struct Client {
    ChannelTable table;
    fixtures::RecordingPrompter prompter;
    ReceiverLink link{table, prompter};
    explicit Client(const ReceiverSim& sim) {
        table.InitialiseChannels(sim.address(), sim.portBase());
        table.setTimeLimit(2000ms);
    }
    std::uint32_t field(int n, std::uint8_t code, std::uint8_t ch) {
        ReplyRecord r;
        if (!link.SendCommand(code, ch) || !link.ReadReply(r, ch))
            return 0xDEAD;
        return r.words[static_cast<std::size_t>(n)];
    }
};

// The sim with its quick time limit, and one client of it.
class ReceiverSimChannels : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sim.ok()) << sim.error(); }
    fixtures::RunningSim sim{kQuick};
    Client client{sim.sim()};
};

}  // namespace

TEST_F(ReceiverSimChannels, AGivenPortBaseThatIsTakenFailsToStart) {
    fixtures::RunningSim second({.portBase = sim->portBase(), .timeLimit = 300ms});
    EXPECT_NE(second.error().find("channel 0"), std::string::npos) << second.error();

    ReceiverSim third({.root = sim / "missing", .timeLimit = 300ms});
    EXPECT_FALSE(third.start());
}

// That a free channel is answered, not just unreachable, is checked with the program's --busy.
TEST_F(ReceiverSimChannels, InUseQueryAnswersBusyForBusyChannelsOnly) {
    sim->setBusy(5, true);
    EXPECT_TRUE(client.link.InUse(5));
    EXPECT_FALSE(client.link.InUse(2));
    sim->setBusy(5, false);
    EXPECT_FALSE(client.link.InUse(5));
}

TEST_F(ReceiverSimChannels, UnknownCommandsGetAFailureReplyAndTheConnectionGoesOn) {
    EXPECT_EQ(client.field(1, 0x99, 3), 0xFFFFFFFFu);
    // An unknown command followed by an argument block: the block is not taken for a header.
    ASSERT_TRUE(client.link.SendCommand(0x98, 3));
    ASSERT_TRUE(client.link.SendBlock(ArgumentBlock::WithText("VELK pretending"), 3));
    ReplyRecord r;
    ASSERT_TRUE(client.link.ReadReply(r, 3));
    EXPECT_EQ(r.field1(), 0xFFFFFFFFu);
    EXPECT_EQ(client.field(3, cmd::kInUse, 3), 0u);
    EXPECT_EQ(sim->connectionCount(), 1);
}

TEST_F(ReceiverSimChannels, HandlersAreChosenByChannelThenByCodeAndCanBeReplaced) {
    auto answer = [](std::uint32_t v) {
        return [v](CommandSession& s, std::uint8_t, std::uint32_t) { s.sendReply(0, v, 0); };
    };
    sim->registerCommand(0x64, answer(99));
    sim->registerCommand(0x64, answer(2), 2);
    EXPECT_EQ(client.field(2, 0x64, 2), 2u);
    EXPECT_EQ(client.field(2, 0x64, 3), 99u);
    sim->registerCommand(0x64, answer(7), 2);
    EXPECT_EQ(client.field(2, 0x64, 2), 7u);
    // Registering the in-use query on one channel overrides the built-in one there only.
    sim->registerCommand(cmd::kInUse, answer(5), 4);
    EXPECT_EQ(client.field(2, cmd::kInUse, 4), 5u);
    EXPECT_EQ(client.field(2, cmd::kInUse, 3), 0u);
}

TEST_F(ReceiverSimChannels, AHandlerThatDropsTheConnectionBreaksOnlyThatRequest) {
    // Codes no receiver command uses, on a channel no manager uses.
    sim->registerCommand(0x63, [](CommandSession& s, std::uint8_t, std::uint32_t) {
        const std::uint8_t half[10] = {'v', 'e', 'l', 'k'};
        s.send(half, sizeof half);
        s.drop();
    });
    sim->registerCommand(0x62, [](CommandSession&, std::uint8_t, std::uint32_t) {
        throw std::runtime_error("handler fault");
    });
    EXPECT_EQ(client.field(0, 0x63, 0), 0xDEADu);
    EXPECT_EQ(client.field(0, 0x62, 0), 0xDEADu) << "a throwing handler costs its connection";
    EXPECT_EQ(client.field(3, cmd::kInUse, 0), 0u) << "the next request reconnects";
    EXPECT_EQ(sim->connectionCount(), 3);
}

TEST_F(ReceiverSimChannels, ServesManyConnectionsOnOneChannelAtOnce) {
    sim->registerCommand(0x61, [](CommandSession& s, std::uint8_t, std::uint32_t value) {
        s.sendReply(0, value, 0);
    });
    constexpr int kClients = 4;
    std::vector<std::thread> threads;
    std::vector<int> good(kClients, 0);
    for (int i = 0; i < kClients; ++i)
        threads.emplace_back([&, i] {
            Client c(sim.sim());
            for (std::uint32_t n = 0; n < 50; ++n) {
                ReplyRecord r;
                const std::uint32_t v = static_cast<std::uint32_t>(i) * 1000 + n;
                if (c.link.SendCommandWithValue(0x61, 1, v) && c.link.ReadReply(r, 1) &&
                    r.field2() == v)
                    ++good[static_cast<std::size_t>(i)];
            }
        });
    for (auto& t : threads)
        t.join();
    for (int i = 0; i < kClients; ++i)
        EXPECT_EQ(good[static_cast<std::size_t>(i)], 50) << "client " << i;
    EXPECT_EQ(sim->connectionCount(), kClients);
}

TEST_F(ReceiverSimChannels, AClientStallingMidHeaderIsDropped) {
    auto s = common::Socket::connectTcp("127.0.0.1", sim->portBase(), 2000ms);
    ASSERT_TRUE(s.valid());
    const auto header = CommandHeader::BuildPlain(cmd::kInUse);
    ASSERT_TRUE(s.sendAll(header.data(), 10, 2000ms));
    std::uint8_t b = 0;
    EXPECT_EQ(s.receiveSome(&b, 1, 5000ms), 0) << "the sim closed the connection";
}

TEST(ReceiverSim, StopEndsIdleAndBusyConnectionsWithoutWaiting) {
    fixtures::RunningSim sim({.timeLimit = 60000ms});  // stopping must not wait for any limit
    ASSERT_TRUE(sim.ok()) << sim.error();
    sim->registerCommand(0x65, [](CommandSession& s, std::uint8_t, std::uint32_t) {
        std::uint8_t block[1024];
        s.receive(block, sizeof block);  // the client never sends it
    });
    auto idle = common::Socket::connectTcp("127.0.0.1", sim->portBase() + 1, 2000ms);
    auto midRecord = common::Socket::connectTcp("127.0.0.1", sim->portBase() + 2, 2000ms);
    auto inHandler = common::Socket::connectTcp("127.0.0.1", sim->portBase() + 4, 2000ms);
    const auto header = CommandHeader::BuildPlain(0x65);
    ASSERT_TRUE(midRecord.sendAll(header.data(), 5, 2000ms));
    ASSERT_TRUE(inHandler.sendAll(header.data(), header.size(), 2000ms));
    Client c(sim.sim());
    ASSERT_EQ(c.field(3, cmd::kInUse, 4), 0u);  // the sim is serving
    ASSERT_TRUE(sim->waitForConnections(4, 5000ms));

    const auto t0 = std::chrono::steady_clock::now();
    sim.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 2000ms);
    std::uint8_t b = 0;
    for (auto* s : {&idle, &midRecord, &inHandler})
        EXPECT_EQ(s->receiveSome(&b, 1, 2000ms), 0);
    // A second stop, in the fixture's destructor, is harmless.
}

TEST(SimPaths, ClientPathsStayUnderTheRoot) {
    fixtures::TempDir dir;
    const fs::path root = fs::weakly_canonical(dir.path());
    using receiversim::ResolveUnderRoot;
    EXPECT_EQ(ResolveUnderRoot(dir.path(), "Top\\Music\\Rock\\"), root / "Top/Music/Rock");
    EXPECT_EQ(ResolveUnderRoot(dir.path(), "/a/./b/../c"), root / "a/c");
    EXPECT_EQ(ResolveUnderRoot(dir.path(), ""), root);
    EXPECT_FALSE(ResolveUnderRoot(dir.path(), ".."));
    EXPECT_FALSE(ResolveUnderRoot(dir.path(), "a\\..\\..\\etc\\passwd"));
    EXPECT_FALSE(ResolveUnderRoot(dir.path(), "/../../etc"));
    EXPECT_FALSE(ResolveUnderRoot(dir.path(), std::string_view("a\0b", 3)));

    fixtures::TempDir outside;
    fs::create_directory_symlink(outside.path(), dir / "link");
    EXPECT_FALSE(ResolveUnderRoot(dir.path(), "link/secret"));
    EXPECT_FALSE(ResolveUnderRoot(dir.path(), "link"));
    fs::create_directory(dir / "inner");
    fs::create_directory_symlink(dir / "inner", dir / "alias");
    EXPECT_TRUE(ResolveUnderRoot(dir.path(), "alias/x"));
}
