// The emulated receiver's recordings commands on the wire, read with the command-channel layer.

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "common/ByteOrder.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tools/receiver-sim/RecordingsService.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/recordings/HeaderBlock.h"
#include "velkport/recordings/RecordCommands.h"
#include "velkport/recordings/RecordInfo.h"
#include "velkport/recordings/StreamBlock.h"

namespace {

namespace fs = std::filesystem;
namespace rec = velkport::recordings;
using Bytes = std::vector<std::uint8_t>;

// A transport stream of n packets: the video PID 0x100 carries a PES start in packet 2, the
// other packets belong to PID 0x101.
std::string Packets(std::size_t n) {
    std::string ts(n * 188, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        auto* p = reinterpret_cast<std::uint8_t*>(&ts[i * 188]);
        p[0] = 0x47;
        bool video = i >= 2 && i % 2 == 0;
        p[1] = static_cast<std::uint8_t>((i == 2 ? 0x40 : 0) | 0x01);
        p[2] = video ? 0x00 : 0x01;
        p[3] = 0x10;
        if (i == 2) {
            const std::uint8_t pes[] = {0, 0, 1, 0xE0, 0, 0, 0x80, 0, 0};
            std::memcpy(p + 4, pes, sizeof pes);
        }
        p[187] = static_cast<std::uint8_t>(i);
    }
    return ts;
}

class RecordingsServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.ok()) << sim_.error();
        table_.InitialiseChannels("127.0.0.1", sim_->portBase());
        table_.setTimeLimit(std::chrono::seconds(5));
    }
    bool command(std::uint8_t code, const std::string& name) {
        auto block = velkport::link::ArgumentBlock::WithText(name);
        return link_.SendCommand(code, 5) && link_.SendBlock(block, 5);
    }
    fixtures::RunningSim sim_;
    velkport::link::ChannelTable table_;
    fixtures::RecordingPrompter prompter_;
    velkport::link::ReceiverLink link_{table_, prompter_};
};

}  // namespace

TEST_F(RecordingsServiceTest, StreamsOnlyFullBlocksThenABlockOfLengthZero) {
    // Two and a half blocks: the half block is not sent.
    std::string ts = Packets(256 * 2 + 128);
    sim_.addRecording(false, "R", ts);
    ASSERT_TRUE(command(rec::REC_DOWNLOAD_TV, "R"));
    Bytes accept(256);
    ASSERT_TRUE(link_.Receive(accept.data(), accept.size(), 5));
    EXPECT_EQ(std::memcmp(accept.data(), "VELK", 4), 0);
    Bytes m(rec::kMessageSize);
    int blocks = 0;
    for (;;) {
        ASSERT_TRUE(link_.Receive(m.data(), m.size(), 5));
        auto b = rec::ReadHeaderBlockMessage(m);
        ASSERT_TRUE(b);
        ++blocks;
        if (b->header.isClosing())
            break;
    }
    EXPECT_EQ(blocks, 3);
    Bytes block(rec::kStreamBlockSize);
    std::string got;
    for (;;) {
        ASSERT_TRUE(link_.Receive(block.data(), block.size(), 5));
        auto h = rec::ParseStreamBlockHeader(
            std::span<const std::uint8_t, rec::kStreamHeaderSize>(block.data(), 512));
        if (!h.isDownloadData()) {
            EXPECT_EQ(h.length, 0u);
            break;
        }
        EXPECT_EQ(h.progressRange, 2u);
        got.append(reinterpret_cast<const char*>(block.data() + 512), rec::kStreamPayloadSize);
    }
    EXPECT_EQ(got, ts.substr(0, 2 * rec::kStreamPayloadSize));
    velkport::link::ReplyRecord reply;
    ASSERT_TRUE(link_.ReadReply(reply, 5));
    EXPECT_EQ(reply.field1(), 0u);
}

TEST_F(RecordingsServiceTest, ThumbnailBytesAreTheFirstVideoPacketsUpTo64KiB) {
    std::string ts = Packets(2000);
    auto bytes =
        receiversim::RecordingsService::FirstVideoPackets(sim_.addRecording(false, "R", ts), 65536);
    ASSERT_EQ(bytes.size(), 65536u / 188 * 188);
    EXPECT_EQ(std::memcmp(bytes.data(), ts.data() + 2 * 188, 188), 0);
    EXPECT_EQ(bytes[188 + 187], 4);  // the next video packet, PID 0x101 left out
    ASSERT_TRUE(command(rec::REC_GET_INFO, "R"));
    Bytes m(rec::kMessageSize);
    ASSERT_TRUE(link_.Receive(m.data(), m.size(), 5));
    rec::RecordInfo info;
    ASSERT_TRUE(rec::ParseRecordInfo(m, info));
    while (info.needsMoreChunks()) {
        ASSERT_TRUE(link_.Receive(m.data(), m.size(), 5));
        rec::AppendThumbnailChunk(m, info);
    }
    EXPECT_EQ(info.thumbnail, bytes);
    velkport::link::ReplyRecord reply;
    EXPECT_TRUE(link_.ReadReply(reply, 5));
}

TEST_F(RecordingsServiceTest, NamesThatLeaveTheFolderAreRefused) {
    fixtures::writeFile(sim_ / "secret.ts", "x");
    for (const char* name : {"../../secret", "..", "a/b", ""}) {
        ASSERT_TRUE(command(rec::REC_DELETE_TV, name));
        velkport::link::ReplyRecord reply;
        ASSERT_TRUE(link_.ReadReply(reply, 5));
        EXPECT_EQ(reply.field1(), 0xFFFFFFFFu) << name;
    }
    EXPECT_TRUE(fs::exists(sim_ / "secret.ts"));
}

TEST_F(RecordingsServiceTest, AnUploadThatBreaksOffLeavesNoRecording) {
    ASSERT_TRUE(command(rec::REC_UPLOAD_TV, "x.ts"));
    Bytes m(rec::kMessageSize, 0);
    rec::BuildHeaderBlock({4, 0, 0, 1, 0}, m.data());
    ASSERT_TRUE(link_.Send(m.data(), m.size(), 5));
    Bytes half(512 + 100, 0);
    common::storeBe32(half.data(), 1000);  // announces 1000 bytes, sends 100
    ASSERT_TRUE(link_.Send(half.data(), half.size(), 5));
    const fs::path part = sim_ / "recordings/tv/x.ts.part";
    auto waitFor = [](auto condition) {
        for (int i = 0; i < 500 && !condition(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return condition();
    };
    ASSERT_TRUE(waitFor([&] { return fs::exists(part); }));  // the stream has begun
    table_.CloseChannel(5);
    // The emulator notices the closed connection and removes what it had started.
    EXPECT_TRUE(waitFor([&] { return fs::is_empty(sim_ / "recordings/tv"); }));
}
