// Requests on a command channel against a scripted peer: lazy opening, reopening after a broken
// connection, reply resynchronisation, folder listings and the in-use query.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "ScriptedPeer.h"
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

namespace {

constexpr auto kWait = 5000ms;

template <typename A>
Bytes bytesOf(const A& a) {
    return Bytes(a.begin(), a.end());
}

Bytes reply(std::uint32_t f1, std::uint32_t f2, std::uint32_t f3) {
    return bytesOf(ReplyRecord::Build(f1, f2, f3));
}

Bytes entry(FolderEntry e) {
    return bytesOf(e.Build());
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct LinkFixture : ::testing::Test {
    fixtures::ScriptedPeer peer;
    ChannelTable table;
    fixtures::RecordingPrompter prompter;
    ReceiverLink link{table, prompter};

    void aim(std::uint8_t ch) {
        table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(peer.port() - ch));
        table.setTimeLimit(300ms);
    }
};

}  // namespace

using ReceiverLinkTest = LinkFixture;

TEST_F(ReceiverLinkTest, FirstRequestOpensTheChannelAndSendsTheHeader) {
    peer.expect(32).expect(256).send(reply(0, 42, 0)).start();
    aim(channel::kRecordings);
    EXPECT_EQ(table.ChannelState(5), ChannelTable::kClosed);
    ASSERT_TRUE(link.SendCommand(cmd::REC_DELETE_TV, 5));
    EXPECT_EQ(table.ChannelState(5), ChannelTable::kOpen);
    ASSERT_TRUE(link.SendBlock(ArgumentBlock::WithText("rec001.rec"), 5));
    ReplyRecord r;
    ASSERT_TRUE(link.ReadReply(r, 5));
    EXPECT_EQ(r.field2(), 42u);
    const Bytes got = peer.received(0);
    ASSERT_EQ(got.size(), 32u + 256u);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 32), bytesOf(CommandHeader::BuildPlain(0x28)));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(got.data()) + 32), "rec001.rec");
}

TEST_F(ReceiverLinkTest, ValuedCommandCarriesTheBlockSize) {
    peer.expect(32).start();
    aim(2);
    ASSERT_TRUE(link.SendCommandWithValue(cmd::kNextDataBlock, 2, cmd::kDataBlockValue));
    ASSERT_TRUE(peer.waitForScriptEnd(0, kWait));
    EXPECT_EQ(peer.received(0), bytesOf(CommandHeader::BuildValued(0x05, 65536)));
}

TEST_F(ReceiverLinkTest, ABrokenChannelIsReopenedAtTheNextRequestButNotMidRequest) {
    peer.expect(32)
        .close()  // the receiver drops the first connection
        .nextConnection()
        .expect(32)
        .send(reply(0, 7, 0));
    peer.start();
    aim(3);
    ASSERT_TRUE(link.SendCommand(cmd::kMp3DiskUsage, 3));
    ReplyRecord r;
    EXPECT_FALSE(link.ReadReply(r, 3));
    EXPECT_EQ(table.ChannelState(3), ChannelTable::kBroken);
    EXPECT_EQ(prompter.entries.size(), 1u);

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

TEST_F(ReceiverLinkTest, RequestsOnChannelSixNeverConnect) {
    peer.start();
    aim(6);
    EXPECT_FALSE(link.SendCommand(cmd::kInUse, 6));
    EXPECT_FALSE(link.SendCommandWithValue(cmd::kNextDataBlock, 6, 65536));
    bool answered = true;
    EXPECT_FALSE(link.InUse(6, &answered));
    EXPECT_FALSE(answered);
    EXPECT_FALSE(peer.waitForConnections(1, 200ms));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(ReceiverLinkTest, ReadReplySkipsRecordsUntilTheVelkMagic) {
    Bytes stale = bytesOf(FolderEntry::File("left over").Build());
    stale.resize(128);  // two 64-byte records the caller did not consume
    peer.expect(32).send(concat({stale, reply(1, 2, 3)})).start();
    aim(2);
    ASSERT_TRUE(link.SendCommand(cmd::kFinishChanges, 2));
    ReplyRecord r;
    ASSERT_TRUE(link.ReadReply(r, 2));
    EXPECT_EQ(r.words, (std::array<std::uint32_t, 4>{ReplyRecord::kMagic, 1, 2, 3}));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(ReceiverLinkTest, ReadReplyGivesUpOnAnEndlessOrTrickledStreamWithoutReply) {
    for (const bool trickle : {false, true}) {
        SCOPED_TRACE(trickle);
        fixtures::ScriptedPeer p;
        p.expect(32);
        if (trickle) {  // every record arrives well within the time limit, no reply does
            for (int i = 0; i < 40; ++i)
                p.send(Bytes(64, 'g')).pause(30ms);
            p.send(reply(0, 0, 0));
        } else {
            p.sendForever(Bytes(64, 'g'));
        }
        p.start();
        prompter.entries.clear();
        table.InitialiseChannels("127.0.0.1", static_cast<std::uint16_t>(p.port() - 5));
        table.setTimeLimit(trickle ? 300ms : 2000ms);
        ASSERT_TRUE(link.SendCommand(cmd::REC_LIST_TV, 5));
        ReplyRecord r;
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(link.ReadReply(r, 5));
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 4000ms);
        EXPECT_EQ(table.ChannelState(5), ChannelTable::kBroken);
        EXPECT_EQ(prompter.texts(),
                  std::vector<std::string>{ChannelTable::ReceiveErrorText(EPROTO)});
        table.ShutdownChannels();
    }
}

TEST_F(ReceiverLinkTest, ListFolderWithTheEndEntryFirstIsAnEmptyFolder) {
    peer.expect(32).send(concat({entry(FolderEntry::End()), reply(0, 0, 0)})).start();
    aim(2);
    int folders = 9;
    std::vector<std::string> files = {"stale"}, dirs = {"stale"};
    ASSERT_TRUE(link.ListFolder(2, folders, files, dirs));
    EXPECT_EQ(folders, 0);
    EXPECT_TRUE(files.empty());
    EXPECT_TRUE(dirs.empty());
    EXPECT_EQ(peer.received(0), bytesOf(CommandHeader::BuildPlain(0x02)));
}

TEST_F(ReceiverLinkTest, ListFolderSortsFilesAndFoldersArrivingInPieces) {
    FolderEntry odd = FolderEntry::Folder("Live");
    odd.kind = 0x42;
    const Bytes stream = concat(
        {entry(FolderEntry::File("a.mp3", 10)), entry(FolderEntry::Folder("Rock")), entry(odd),
         entry(FolderEntry::File("b.mp3", 20)), entry(FolderEntry::End()), reply(0, 0, 0)});
    peer.expect(32)
        .send(Bytes(stream.begin(), stream.begin() + 300))
        .pause()
        .send(Bytes(stream.begin() + 300, stream.end()))
        .start();
    aim(3);
    int folders = 0;
    std::vector<std::string> files, dirs;
    ASSERT_TRUE(link.ListFolder(3, folders, files, dirs));
    EXPECT_EQ(folders, 2);
    EXPECT_EQ(files, (std::vector<std::string>{"a.mp3", "b.mp3"}));
    EXPECT_EQ(dirs, (std::vector<std::string>{"Rock", "Live"}));
}

TEST_F(ReceiverLinkTest, ListFolderFailsWhenTheListingBreaksOff) {
    peer.expect(32).send(entry(FolderEntry::File("a.mp3"))).close().start();
    aim(2);
    int folders = 0;
    std::vector<std::string> files, dirs;
    EXPECT_FALSE(link.ListFolder(2, folders, files, dirs));
    EXPECT_EQ(table.ChannelState(2), ChannelTable::kBroken);
}

TEST_F(ReceiverLinkTest, InUseLooksAtFieldThree) {
    peer.expect(32).send(reply(0, 0, 0xFFFFFFFF)).expect(32).send(reply(0xFFFFFFFF, 0, 0));
    peer.start();
    aim(4);
    bool answered = false;
    EXPECT_TRUE(link.InUse(4, &answered));
    EXPECT_TRUE(answered);
    EXPECT_FALSE(link.InUse(4, &answered)) << "field 1 does not mean busy";
    EXPECT_TRUE(answered);
    EXPECT_TRUE(link.ChannelReady(4));
    EXPECT_TRUE(link.ChannelReady(6));
}
