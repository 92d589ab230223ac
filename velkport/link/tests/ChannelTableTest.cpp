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

// A table whose channel ch reaches the peer.
void pointAt(ChannelTable& table, const fixtures::ScriptedPeer& peer, std::uint8_t ch) {
    table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(peer.port() - ch));
    table.setTimeLimit(300ms);
}

}  // namespace

TEST(ChannelTable, ChannelPortsFollowThePortBase) {
    ChannelTable table;
    table.InitialiseChannels("192.168.1.20");
    EXPECT_EQ(table.ChannelPort(0), 34000);
    EXPECT_EQ(table.ChannelPort(5), 34005);
    EXPECT_EQ(table.address(), "192.168.1.20");
    table.InitialiseChannels("10.0.0.1", 41000);
    EXPECT_EQ(table.ChannelPort(5), 41005);
    EXPECT_EQ(table.timeLimit(), 30000ms) << "the default time limit";
}

TEST(ChannelTable, InitialisedSlotsAreClosedAndOpenMovesThemToOpenOrConnectFailed) {
    fixtures::ScriptedPeer peer;
    peer.start();
    ChannelTable table;
    pointAt(table, peer, 3);
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

TEST(ChannelTable, AnUninitialisedTableConnectsNowhere) {
    fixtures::ScriptedPeer peer;
    peer.start();
    ChannelTable table;  // no address yet
    EXPECT_FALSE(table.OpenChannel(0));
    EXPECT_EQ(table.ChannelState(0), ChannelTable::kConnectFailed);
    EXPECT_FALSE(table.EnsureOpen(0));
}

TEST(ChannelTable, ChannelSixIsRefusedWithoutTouchingASocket) {
    fixtures::ScriptedPeer peer;  // listens where channel 6 would connect
    peer.send(Bytes(16, 1)).start();
    ChannelTable table;
    fixtures::RecordingPrompter prompter;
    pointAt(table, peer, 6);
    const auto header = counting(32);
    EXPECT_FALSE(table.SendOnChannel(header.data(), header.size(), 6));
    Bytes buf(16, 0xEE);
    std::size_t received = 99;
    EXPECT_FALSE(table.ReceiveExactly(buf.data(), buf.size(), received, 6, &prompter));
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(buf, Bytes(16, 0xEE)) << "a refused receive writes nothing";
    EXPECT_FALSE(table.EnsureOpen(6));
    EXPECT_TRUE(prompter.entries.empty()) << "refusals are quiet";
    EXPECT_FALSE(peer.waitForConnections(1, 200ms));
}

TEST(ChannelTable, SendAndReceiveOnAClosedSlotAreRefusedQuietly) {
    ChannelTable table;
    fixtures::RecordingPrompter prompter;
    table.InitialiseChannels("127.0.0.1", 40000);
    Bytes buf(8);
    std::size_t received = 0;
    EXPECT_FALSE(table.SendOnChannel(buf.data(), buf.size(), 2));
    EXPECT_FALSE(table.ReceiveExactly(buf.data(), buf.size(), received, 2, &prompter));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST(ChannelTable, ReceiveExactlyGathersPieces) {
    const Bytes entry = counting(281, 7);
    fixtures::ScriptedPeer peer;
    peer.send(Bytes(entry.begin(), entry.begin() + 100))
        .pause()
        .send(Bytes(entry.begin() + 100, entry.begin() + 200))
        .pause()
        .send(Bytes(entry.begin() + 200, entry.end()))
        .start();
    ChannelTable table;
    pointAt(table, peer, 4);
    ASSERT_TRUE(table.OpenChannel(4));
    Bytes buf(281, 0xEE);
    std::size_t received = 0;
    EXPECT_TRUE(table.ReceiveExactly(buf.data(), buf.size(), received, 4));
    EXPECT_EQ(received, 281u);
    EXPECT_EQ(buf, entry);
    EXPECT_EQ(table.ChannelState(4), ChannelTable::kOpen);
}

TEST(ChannelTable, APeerClosingMidRecordBreaksTheSlotAndShowsTheErrorNumber) {
    fixtures::ScriptedPeer peer;
    peer.send(counting(40)).close().start();
    ChannelTable table;
    fixtures::RecordingPrompter prompter;
    pointAt(table, peer, 5);
    ASSERT_TRUE(table.OpenChannel(5));
    Bytes buf(64, 0xEE);
    std::size_t received = 0;
    EXPECT_FALSE(table.ReceiveExactly(buf.data(), buf.size(), received, 5, &prompter));
    EXPECT_EQ(received, 40u);
    EXPECT_EQ(Bytes(buf.begin() + 40, buf.end()), Bytes(24, 0)) << "the rest stays zero-filled";
    EXPECT_EQ(table.ChannelState(5), ChannelTable::kBroken);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text, "Receive error (104)");
    EXPECT_EQ(prompter.entries[0].icon, velkport::shell::PromptIcon::Error);

    // A broken slot refuses everything from now on, quietly.
    EXPECT_FALSE(table.ReceiveExactly(buf.data(), buf.size(), received, 5, &prompter));
    EXPECT_FALSE(table.SendOnChannel(buf.data(), buf.size(), 5));
    EXPECT_EQ(prompter.entries.size(), 1u);
}

TEST(ChannelTable, APeerStallingMidRecordFailsWithinTheTimeLimit) {
    fixtures::ScriptedPeer peer;
    peer.send(counting(10)).stall().start();
    ChannelTable table;
    fixtures::RecordingPrompter prompter;
    pointAt(table, peer, 1);
    ASSERT_TRUE(table.OpenChannel(1));
    Bytes buf(64);
    std::size_t received = 0;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(table.ReceiveExactly(buf.data(), buf.size(), received, 1, &prompter));
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_LT(took, 3000ms);
    EXPECT_EQ(received, 10u);
    EXPECT_EQ(table.ChannelState(1), ChannelTable::kBroken);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text, "Receive error (110)");
}

TEST(ChannelTable, ReceivingNothingIsAnErrorThatLeavesTheSlotOpen) {
    fixtures::ScriptedPeer peer;
    peer.start();
    ChannelTable table;
    fixtures::RecordingPrompter prompter;
    table.setPrompter(&prompter);  // the table's own prompter when the call names none
    pointAt(table, peer, 0);
    ASSERT_TRUE(table.OpenChannel(0));
    std::uint8_t b = 0;
    std::size_t received = 5;
    EXPECT_FALSE(table.ReceiveExactly(&b, 0, received, 0));
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(table.ChannelState(0), ChannelTable::kOpen);
}

TEST(ChannelTable, ShutdownClosesEveryConnection) {
    fixtures::ScriptedPeer peer;
    peer.expect(32).stall().start();
    ChannelTable table;
    pointAt(table, peer, 2);
    ASSERT_TRUE(table.OpenChannel(2));
    const auto header = counting(32);
    EXPECT_TRUE(table.SendOnChannel(header.data(), header.size(), 2));
    table.ShutdownChannels();
    EXPECT_EQ(table.ChannelState(2), ChannelTable::kClosed);
    EXPECT_TRUE(peer.waitForScriptEnd(0, kWait)) << "the peer saw the connection close";
    EXPECT_EQ(peer.received(0), header);
}
