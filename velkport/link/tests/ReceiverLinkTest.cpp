// The command channels against a scripted peer: the channel table's opening, states and exact
// receives, then requests through the receiver link: lazy opening, reopening after a broken
// connection, reply resynchronisation, folder listings and the in-use query.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <vector>

#include "ScriptedPeer.h"
#include "common/Socket.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/CommandHeader.h"
#include "velkport/link/FolderEntry.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"

using namespace std::chrono_literals;
using namespace velkport::link;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

namespace {

constexpr auto kWait = 5000ms;

template <typename A>
Bytes bytesOf(const A& a) {
    return Bytes(a.begin(), a.end());
}
Bytes counting(std::size_t n, std::uint8_t first = 0) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), first);
    return b;
}
Bytes reply(std::uint32_t f1, std::uint32_t f2, std::uint32_t f3) {
    return bytesOf(ReplyRecord::Build(f1, f2, f3));
}
Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes slice(const Bytes& b, std::size_t from, std::size_t n) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
                 b.begin() + static_cast<std::ptrdiff_t>(std::min(b.size(), from + n)));
}

struct LinkTest : ::testing::Test {
    fixtures::ScriptedPeer peer;
    ChannelTable table;
    fixtures::RecordingPrompter prompter;
    ReceiverLink link{table, prompter};

    // Starts the peer's scripts and aims channel ch at it.
    void aim(std::uint8_t ch, std::vector<fixtures::ScriptedPeer::Script> scripts = {},
             std::chrono::milliseconds limit = 300ms) {
        peer.start(std::move(scripts));
        table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(peer.port() - ch));
        table.setTimeLimit(limit);
    }
    bool receive(Bytes& buf, std::size_t& received, std::uint8_t ch) {
        return table.ReceiveExactly(buf.data(), buf.size(), received, ch, &prompter);
    }
};
using ChannelTableTest = LinkTest;
using ReceiverLinkTest = LinkTest;
using Conn = fixtures::ScriptedPeer::Connection;

}  // namespace

// Receiving a record that arrives in pieces is checked with the folder listing below.
TEST_F(ChannelTableTest, OpensOnTheChannelsPortAndClosesOnShutdown) {
    table.InitialiseChannels("192.168.1.20");
    EXPECT_EQ(table.ChannelPort(5), 34005);
    aim(4, {[](Conn& c) {
            c.expect(32);
            c.stall();
        }});
    EXPECT_EQ(table.ChannelPort(5), peer.port() + 1);
    for (std::uint8_t ch = 0; ch <= 5; ++ch)
        EXPECT_EQ(table.ChannelState(ch), ChannelTable::kClosed);
    ASSERT_TRUE(table.OpenChannel(4));
    EXPECT_EQ(table.ChannelState(4), ChannelTable::kOpen);

    const auto header = counting(32);
    EXPECT_TRUE(table.SendOnChannel(header.data(), header.size(), 4));
    table.ShutdownChannels();
    EXPECT_EQ(table.ChannelState(4), ChannelTable::kClosed);
    EXPECT_TRUE(peer.waitForScriptEnd(0, kWait)) << "the peer saw the connection close";
    EXPECT_EQ(peer.received(0), header);
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(ChannelTableTest, RefusesQuietlyWithoutAddressOnAClosedSlotOnChannelSixOrADeadPort) {
    EXPECT_FALSE(table.OpenChannel(0));  // no address yet
    EXPECT_EQ(table.ChannelState(0), ChannelTable::kConnectFailed);
    EXPECT_FALSE(table.EnsureOpen(0));

    aim(6, {[](Conn& c) { c.send(Bytes(16, 1)); }});  // listens where channel 6 would connect
    Bytes buf(16, 0xEE);
    std::size_t received = 99;
    EXPECT_FALSE(table.SendOnChannel(buf.data(), buf.size(), 2));  // closed slot
    EXPECT_FALSE(receive(buf, received, 2));
    EXPECT_FALSE(table.SendOnChannel(buf.data(), buf.size(), 6));
    received = 99;
    EXPECT_FALSE(receive(buf, received, 6));
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(buf, Bytes(16, 0xEE)) << "a refused receive writes nothing";
    EXPECT_FALSE(table.EnsureOpen(6));
    EXPECT_FALSE(link.SendCommand(cmd::kInUse, 6));
    EXPECT_FALSE(link.SendCommandWithValue(cmd::kNextDataBlock, 6, 65536));
    bool answered = true;
    EXPECT_FALSE(link.InUse(6, &answered));
    EXPECT_FALSE(answered);
    EXPECT_FALSE(peer.waitForConnections(1, 200ms));

    // A port whose listener has gone: the connection is refused.
    auto gone = common::Socket::listenTcp("127.0.0.1", 0);
    const auto deadPort = gone.localPort();
    gone.close();
    table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(deadPort - 2));
    EXPECT_FALSE(table.OpenChannel(2));
    EXPECT_EQ(table.ChannelState(2), ChannelTable::kConnectFailed);
    EXPECT_TRUE(table.CloseChannel(2));
    EXPECT_EQ(table.ChannelState(2), ChannelTable::kClosed);
    EXPECT_TRUE(prompter.entries.empty()) << "refusals are quiet";
}

TEST_F(ChannelTableTest, APeerClosingMidRecordBreaksTheSlotAndShowsTheErrorNumber) {
    aim(5, {[](Conn& c) { c.send(counting(40)); }});
    ASSERT_TRUE(table.OpenChannel(5));
    Bytes buf(64, 0xEE);
    std::size_t received = 0;
    EXPECT_FALSE(receive(buf, received, 5));
    EXPECT_EQ(received, 40u);
    EXPECT_EQ(slice(buf, 40, 24), Bytes(24, 0)) << "the rest stays zero-filled";
    EXPECT_EQ(table.ChannelState(5), ChannelTable::kBroken);
    ASSERT_EQ(prompter.texts(), Texts{"Receive error (104)"});
    EXPECT_EQ(prompter.entries[0].icon, velkport::shell::PromptIcon::Error);

    // A broken slot refuses everything from now on, quietly.
    EXPECT_FALSE(receive(buf, received, 5));
    EXPECT_FALSE(table.SendOnChannel(buf.data(), buf.size(), 5));
    EXPECT_EQ(prompter.entries.size(), 1u);
}

TEST_F(ChannelTableTest, ReceivingNothingFailsButKeepsTheSlotAndAStallFailsWithinTheTimeLimit) {
    aim(1, {[](Conn& c) {
            c.send(counting(10));
            c.stall();
        }});
    table.setPrompter(&prompter);  // the table's own prompter when the call names none
    ASSERT_TRUE(table.OpenChannel(1));
    std::uint8_t b = 0;
    std::size_t received = 5;
    EXPECT_FALSE(table.ReceiveExactly(&b, 0, received, 1));
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(table.ChannelState(1), ChannelTable::kOpen);

    Bytes buf(64);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(receive(buf, received, 1));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 3000ms);
    EXPECT_EQ(received, 10u);
    EXPECT_EQ(table.ChannelState(1), ChannelTable::kBroken);
    EXPECT_EQ(prompter.texts(), (Texts{"Receive error (22)", "Receive error (110)"}));
}

TEST_F(ReceiverLinkTest, FirstRequestOpensTheChannelAndSendsHeaderBlockAndValue) {
    aim(channel::kRecordings, {[](Conn& c) {
            c.expect(32 + 256);
            c.send(reply(0, 42, 0));
            c.expect(32);
        }});
    ASSERT_TRUE(link.SendCommand(cmd::REC_DELETE_TV, 5));
    ASSERT_TRUE(link.SendBlock(ArgumentBlock::WithText("rec001.rec"), 5));
    ReplyRecord r;
    ASSERT_TRUE(link.ReadReply(r, 5));
    EXPECT_EQ(r.field2(), 42u);
    ASSERT_TRUE(link.SendCommandWithValue(cmd::kNextDataBlock, 5, cmd::kDataBlockValue));
    ASSERT_TRUE(peer.waitForScriptEnd(0, kWait));
    const Bytes got = peer.received(0);
    ASSERT_EQ(got.size(), 32u + 256u + 32u);
    EXPECT_EQ(slice(got, 0, 32), bytesOf(CommandHeader::BuildPlain(0x28)));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(got.data()) + 32), "rec001.rec");
    EXPECT_EQ(slice(got, 288, 32), bytesOf(CommandHeader::BuildValued(0x05, 65536)));
}

TEST_F(ReceiverLinkTest, ABrokenChannelIsReopenedAtTheNextRequestButNotMidRequest) {
    aim(3, {[](Conn& c) { c.expect(32); },  // the receiver drops the first connection
            [](Conn& c) {
                c.expect(32);
                c.send(reply(0, 7, 0));
            }});
    ASSERT_TRUE(link.SendCommand(cmd::kMp3DiskUsage, 3));
    ReplyRecord r;
    EXPECT_FALSE(link.ReadReply(r, 3));
    EXPECT_EQ(table.ChannelState(3), ChannelTable::kBroken);

    // Mid-request steps do not reopen.
    EXPECT_FALSE(link.SendBlock(ArgumentBlock::WithText("x"), 3));
    EXPECT_FALSE(link.ReadReply(r, 3));
    EXPECT_EQ(peer.connections(), 1);

    // The next request does.
    ASSERT_TRUE(link.SendCommand(cmd::kMp3DiskUsage, 3));
    ASSERT_TRUE(link.ReadReply(r, 3));
    EXPECT_EQ(r.field2(), 7u);
    EXPECT_EQ(peer.connections(), 2);
}

TEST_F(ReceiverLinkTest, RepliesListingsAndTheInUseQueryInTurnOnOneConnectionUntilItBreaks) {
    Bytes stale = bytesOf(FolderEntry::File("left over").Build());
    stale.resize(128);  // two 64-byte records the caller did not consume
    FolderEntry odd = FolderEntry::Folder("Live");
    odd.kind = 0x42;  // any kind but a file's or the end's is a folder
    const Bytes listing =
        concat({bytesOf(FolderEntry::File("a.mp3", 10).Build()),
                bytesOf(FolderEntry::Folder("Rock").Build()), bytesOf(odd.Build()),
                bytesOf(FolderEntry::File("b.mp3", 20).Build()),
                bytesOf(FolderEntry::End().Build()), reply(0, 0, 0)});
    aim(2, {[=](Conn& c) {
            c.expect(32);
            c.send(concat({stale, reply(1, 2, 3)}));
            c.expect(32);
            c.send(concat({bytesOf(FolderEntry::End().Build()), reply(0, 0, 0)}));
            c.expect(32);
            c.send(slice(listing, 0, 300));
            c.pause();
            c.send(slice(listing, 300, listing.size()));
            for (const Bytes& r : {reply(0, 0, 0xFFFFFFFF), reply(0xFFFFFFFF, 0, 0)}) {
                c.expect(32);
                c.send(r);
            }
            c.expect(32);
            c.send(bytesOf(FolderEntry::File("a.mp3").Build()));  // and the receiver goes
        }});

    // A reply is the next record with the lower-case magic; stale records before it are skipped.
    ASSERT_TRUE(link.SendCommand(cmd::kFinishChanges, 2));
    ReplyRecord r;
    ASSERT_TRUE(link.ReadReply(r, 2));
    EXPECT_EQ(r.words, (std::array<std::uint32_t, 4>{ReplyRecord::kMagic, 1, 2, 3}));

    // The end entry first: an empty folder, and the old results are cleared.
    int folders = 9;
    std::vector<std::string> files = {"stale"}, dirs = {"stale"};
    ASSERT_TRUE(link.ListFolder(2, folders, files, dirs));
    EXPECT_EQ(folders, 0);
    EXPECT_TRUE(files.empty());
    EXPECT_TRUE(dirs.empty());
    EXPECT_EQ(slice(peer.received(0), 32, 32), bytesOf(CommandHeader::BuildPlain(0x02)));

    // Files and folders sorted apart, arriving in pieces.
    ASSERT_TRUE(link.ListFolder(2, folders, files, dirs));
    EXPECT_EQ(folders, 2);
    EXPECT_EQ(files, (std::vector<std::string>{"a.mp3", "b.mp3"}));
    EXPECT_EQ(dirs, (std::vector<std::string>{"Rock", "Live"}));

    // In use is field 3 all ones; field 1 does not mean busy.
    bool answered = false;
    EXPECT_TRUE(link.InUse(2, &answered));
    EXPECT_TRUE(answered);
    EXPECT_FALSE(link.InUse(2, &answered));
    EXPECT_TRUE(answered);
    EXPECT_TRUE(prompter.entries.empty());

    // A listing that breaks off fails and breaks the slot.
    EXPECT_FALSE(link.ListFolder(2, folders, files, dirs));
    EXPECT_EQ(table.ChannelState(2), ChannelTable::kBroken);
}

TEST_F(ReceiverLinkTest, ReadReplyGivesUpOnAnEndlessOrTrickledStreamWithoutReply) {
    for (const bool trickle : {false, true}) {
        SCOPED_TRACE(trickle);
        fixtures::ScriptedPeer p;
        p.start({[trickle](Conn& c) {
            c.expect(32);
            if (!trickle)
                return c.sendForever(Bytes(64, 'g'));
            for (int i = 0; i < 40; ++i) {  // every record arrives well in time, no reply does
                c.send(Bytes(64, 'g'));
                c.pause(30ms);
            }
            c.send(reply(0, 0, 0));
        }});
        prompter.entries.clear();
        table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(p.port() - 5));
        table.setTimeLimit(trickle ? 300ms : 2000ms);
        ASSERT_TRUE(link.SendCommand(cmd::REC_LIST_TV, 5));
        ReplyRecord r;
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(link.ReadReply(r, 5));
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 4000ms);
        EXPECT_EQ(table.ChannelState(5), ChannelTable::kBroken);
        EXPECT_EQ(prompter.texts(), Texts{ChannelTable::ReceiveErrorText(EPROTO)});
        table.ShutdownChannels();
    }
}
