// The transport: opening, states, sending, and receiving exactly N bytes against a scripted peer.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <vector>

#include "ScriptedPeer.h"
#include "common/Socket.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/link/ChannelTable.h"

using namespace std::chrono_literals;
using velkport::link::ChannelTable;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr auto kWait = 5000ms;

Bytes counting(std::size_t n, std::uint8_t first = 0) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), first);
    return b;
}

struct ChannelTableTest : ::testing::Test {
    fixtures::ScriptedPeer peer;
    ChannelTable table;
    fixtures::RecordingPrompter prompter;

    // Starts the peer's script and aims channel ch at it.
    void aim(std::uint8_t ch) {
        peer.start();
        table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(peer.port() - ch));
        table.setTimeLimit(300ms);
    }
    bool receive(Bytes& buf, std::size_t& received, std::uint8_t ch) {
        return table.ReceiveExactly(buf.data(), buf.size(), received, ch, &prompter);
    }
};

}  // namespace

TEST_F(ChannelTableTest, ChannelPortsFollowThePortBase) {
    table.InitialiseChannels("192.168.1.20");
    EXPECT_EQ(table.ChannelPort(5), 34005);
    table.InitialiseChannels("10.0.0.1", 41000);
    EXPECT_EQ(table.ChannelPort(5), 41005);
}

TEST_F(ChannelTableTest, OpeningMovesAClosedSlotToOpenOrConnectFailed) {
    aim(3);
    for (std::uint8_t ch = 0; ch <= 5; ++ch)
        EXPECT_EQ(table.ChannelState(ch), ChannelTable::kClosed);
    EXPECT_TRUE(table.OpenChannel(3));
    EXPECT_EQ(table.ChannelState(3), ChannelTable::kOpen);
    EXPECT_TRUE(peer.waitForConnections(1, kWait));

    // A port whose listener has gone: the connection is refused.
    auto gone = common::Socket::listenTcp("127.0.0.1", 0);
    const auto deadPort = gone.localPort();
    gone.close();
    table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(deadPort - 2));
    EXPECT_FALSE(table.OpenChannel(2));
    EXPECT_EQ(table.ChannelState(2), ChannelTable::kConnectFailed);
    EXPECT_TRUE(table.CloseChannel(2));
    EXPECT_EQ(table.ChannelState(2), ChannelTable::kClosed);
}

TEST_F(ChannelTableTest, AnUninitialisedTableOrAClosedSlotRefusesQuietly) {
    EXPECT_FALSE(table.OpenChannel(0));  // no address yet
    EXPECT_EQ(table.ChannelState(0), ChannelTable::kConnectFailed);
    EXPECT_FALSE(table.EnsureOpen(0));

    table.InitialiseChannels("127.0.0.1", 40000);
    Bytes buf(8);
    std::size_t received = 0;
    EXPECT_FALSE(table.SendOnChannel(buf.data(), buf.size(), 2));
    EXPECT_FALSE(receive(buf, received, 2));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(ChannelTableTest, ChannelSixIsRefusedWithoutTouchingASocket) {
    peer.send(Bytes(16, 1));  // listens where channel 6 would connect
    aim(6);
    const auto header = counting(32);
    EXPECT_FALSE(table.SendOnChannel(header.data(), header.size(), 6));
    Bytes buf(16, 0xEE);
    std::size_t received = 99;
    EXPECT_FALSE(receive(buf, received, 6));
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(buf, Bytes(16, 0xEE)) << "a refused receive writes nothing";
    EXPECT_FALSE(table.EnsureOpen(6));
    EXPECT_TRUE(prompter.entries.empty()) << "refusals are quiet";
    EXPECT_FALSE(peer.waitForConnections(1, 200ms));
}

TEST_F(ChannelTableTest, ReceiveExactlyGathersPieces) {
    const Bytes entry = counting(281, 7);
    peer.send(Bytes(entry.begin(), entry.begin() + 100))
        .pause()
        .send(Bytes(entry.begin() + 100, entry.begin() + 200))
        .pause()
        .send(Bytes(entry.begin() + 200, entry.end()));
    aim(4);
    ASSERT_TRUE(table.OpenChannel(4));
    Bytes buf(281, 0xEE);
    std::size_t received = 0;
    EXPECT_TRUE(receive(buf, received, 4));
    EXPECT_EQ(received, 281u);
    EXPECT_EQ(buf, entry);
    EXPECT_EQ(table.ChannelState(4), ChannelTable::kOpen);
}

TEST_F(ChannelTableTest, APeerClosingMidRecordBreaksTheSlotAndShowsTheErrorNumber) {
    peer.send(counting(40)).close();
    aim(5);
    ASSERT_TRUE(table.OpenChannel(5));
    Bytes buf(64, 0xEE);
    std::size_t received = 0;
    EXPECT_FALSE(receive(buf, received, 5));
    EXPECT_EQ(received, 40u);
    EXPECT_EQ(Bytes(buf.begin() + 40, buf.end()), Bytes(24, 0)) << "the rest stays zero-filled";
    EXPECT_EQ(table.ChannelState(5), ChannelTable::kBroken);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text, "Receive error (104)");
    EXPECT_EQ(prompter.entries[0].icon, velkport::shell::PromptIcon::Error);

    // A broken slot refuses everything from now on, quietly.
    EXPECT_FALSE(receive(buf, received, 5));
    EXPECT_FALSE(table.SendOnChannel(buf.data(), buf.size(), 5));
    EXPECT_EQ(prompter.entries.size(), 1u);
}

TEST_F(ChannelTableTest, APeerStallingMidRecordFailsWithinTheTimeLimit) {
    peer.send(counting(10)).stall();
    aim(1);
    ASSERT_TRUE(table.OpenChannel(1));
    Bytes buf(64);
    std::size_t received = 0;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(receive(buf, received, 1));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 3000ms);
    EXPECT_EQ(received, 10u);
    EXPECT_EQ(table.ChannelState(1), ChannelTable::kBroken);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Receive error (110)"});
}

TEST_F(ChannelTableTest, ReceivingNothingIsAnErrorThatLeavesTheSlotOpen) {
    aim(0);
    table.setPrompter(&prompter);  // the table's own prompter when the call names none
    ASSERT_TRUE(table.OpenChannel(0));
    std::uint8_t b = 0;
    std::size_t received = 5;
    EXPECT_FALSE(table.ReceiveExactly(&b, 0, received, 0));
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(table.ChannelState(0), ChannelTable::kOpen);
}

TEST_F(ChannelTableTest, ShutdownClosesEveryConnection) {
    peer.expect(32).stall();
    aim(2);
    ASSERT_TRUE(table.OpenChannel(2));
    const auto header = counting(32);
    EXPECT_TRUE(table.SendOnChannel(header.data(), header.size(), 2));
    table.ShutdownChannels();
    EXPECT_EQ(table.ChannelState(2), ChannelTable::kClosed);
    EXPECT_TRUE(peer.waitForScriptEnd(0, kWait)) << "the peer saw the connection close";
    EXPECT_EQ(peer.received(0), header);
}
