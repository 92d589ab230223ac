// The MP3 and JPEG managers' operations against the emulated receiver on loopback: round trips
// of files and folder trees, Cancel in both directions, the free-space check, and receivers that
// answer with hostile names, folders that contain themselves or oversized blocks.

#include <gtest/gtest.h>

#include <filesystem>

#include "common/ByteOrder.h"
#include "tests/fixtures/RecordingProgress.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/DataBlock.h"
#include "velkport/link/FolderEntry.h"
#include "velkport/media/MediaTransfer.h"
#include "velkport/media/UploadBlock.h"
#include "velkport/media/tests/TestPictures.h"

using namespace velkport::media;
namespace fs = std::filesystem;
namespace cmd = velkport::link::cmd;
using fixtures::readFile;
using fixtures::writeFile;
using receiversim::CommandSession;

namespace {

std::vector<std::string> Tree(const fs::path& top) {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(top))
        out.push_back(e.path().lexically_relative(top).string() +
                      (e.is_directory() ? "/" : ":" + std::to_string(e.file_size())));
    std::sort(out.begin(), out.end());
    return out;
}

class MediaTransferTest : public ::testing::Test {
  protected:
    void start(std::uint64_t diskMiB = 250000) {
        table_.ShutdownChannels();
        receiversim::SimOptions o;
        o.diskSizeMiB = diskMiB;
        sim_ = std::make_unique<fixtures::RunningSim>(o);
        ASSERT_TRUE(sim_->ok()) << sim_->error();
        table_.InitialiseChannels("127.0.0.1", (*sim_)->portBase());
        table_.setTimeLimit(std::chrono::seconds(5));
    }
    void SetUp() override { start(); }
    void TearDown() override { table_.ShutdownChannels(); }
    // A file or folder on the receiver's disk.
    fs::path disk(const std::string& name) const { return *sim_ / name; }

    std::unique_ptr<fixtures::RunningSim> sim_;
    fixtures::TempDir local_, work_;
    velkport::link::ChannelTable table_;
    fixtures::RecordingPrompter prompter_;
    fixtures::RecordingProgress progress_;  // cancels only when a test asks it to
    MediaManager mp3_{MediaType::Mp3, table_, prompter_};
    MediaManager jpeg_{MediaType::Jpeg, table_, prompter_};
    MediaTransfer mp3Transfer_{mp3_, work_.path()};
    MediaTransfer jpegTransfer_{jpeg_, work_.path()};
};

}  // namespace

TEST_F(MediaTransferTest, FilesOfEveryBlockBoundaryMakeTheRoundTrip) {
    // 0x05 blocks carry 65532 bytes; upload blocks 65523. A file that fills a block exactly
    // needs an empty block after it in both directions.
    for (std::size_t size : {1ul, 65523ul, 65524ul, 65532ul, 65533ul, 3 * 65532ul, 200000ul}) {
        const std::string name = std::to_string(size) + ".mp3";
        const std::string bytes = fixtures::randomBytes(size, static_cast<unsigned>(size));
        writeFile(local_ / name, bytes);
        ASSERT_EQ(mp3Transfer_.UploadFile(local_ / name, progress_), kTransferDone) << size;
        EXPECT_EQ(readFile(disk("mp3/" + name)), bytes) << size;
        fs::remove(local_ / name);
        ASSERT_EQ(mp3Transfer_.DownloadFile(name, local_.path(), progress_), kTransferDone) << size;
        EXPECT_EQ(readFile(local_ / name), bytes) << size;
    }
    EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(MediaTransferTest, NestedFoldersMakeTheRoundTripAndTheTreeListsThem) {
    fs::create_directories(local_ / "up/Album/Disc 2");
    writeFile(local_ / "up/Album/one.mp3", fixtures::randomBytes(70000));
    writeFile(local_ / "up/Album/Disc 2/two.mp3", fixtures::randomBytes(10, 2));
    writeFile(local_ / "up/Album/notes.txt", "not music");  // only the area's files go
    fs::create_directories(local_ / "down");
    ASSERT_EQ(mp3Transfer_.Upload({local_ / "up/Album"}, progress_), kTransferDone);
    EXPECT_TRUE(mp3_.currentLevels().empty());
    std::vector<FolderTreeEntry> tree;
    ASSERT_TRUE(mp3_.ListFolderTree(tree));
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[1].levels(), (std::vector<std::string>{"Album", "Disc 2"}));

    std::vector<velkport::link::FolderEntry> top;
    ASSERT_TRUE(mp3_.ListFolder(top));
    ASSERT_EQ(mp3Transfer_.Download(top, local_ / "down", progress_), kTransferDone);
    EXPECT_EQ(Tree(local_ / "down"),
              (std::vector<std::string>{"Album/", "Album/Disc 2/", "Album/Disc 2/two.mp3:10",
                                        "Album/one.mp3:70000"}));
    EXPECT_EQ(readFile(local_ / "down/Album/one.mp3"), readFile(local_ / "up/Album/one.mp3"));
}

TEST_F(MediaTransferTest, CancelledDownloadKeepsTheOlderFileAndLeavesNoPart) {
    writeFile(disk("mp3/big.mp3"), fixtures::randomBytes(5 * 65532));
    writeFile(local_ / "big.mp3", "older");
    progress_.cancelAfter = 2;
    EXPECT_EQ(mp3Transfer_.DownloadFile("big.mp3", local_.path(), progress_), kTransferStopped);
    EXPECT_EQ(readFile(local_ / "big.mp3"), "older");
    EXPECT_EQ(Tree(local_.path()), std::vector<std::string>{"big.mp3:5"});
    // The receiver ended its side: the channel goes on working.
    std::vector<velkport::link::FolderEntry> entries;
    EXPECT_TRUE(mp3_.ListFolder(entries));
}

TEST_F(MediaTransferTest, CancelledUploadRemovesThePartialReceiverFile) {
    writeFile(local_ / "big.mp3", fixtures::randomBytes(5 * 65523));
    progress_.cancelAfter = 2;
    EXPECT_EQ(mp3Transfer_.UploadFile(local_ / "big.mp3", progress_), kTransferStopped);
    EXPECT_FALSE(fs::exists(disk("mp3/big.mp3")));
    EXPECT_EQ(progress_.positions.size(), 2u);
}

TEST_F(MediaTransferTest, NotEnoughSpaceIsRefusedBeforeAnythingIsSent) {
    start(3);  // 3 MB disk: a 1 MB file needs 1 + 2 MB and more than that is free only empty
    writeFile(disk("recordings/filler"), std::string(1536 * 1024, 'x'));
    writeFile(local_ / "a.mp3", fixtures::randomBytes(1024 * 1024));
    writeFile(local_ / "a.jpg", fixtures::MakeJpeg(64, 48));
    EXPECT_EQ(mp3Transfer_.UploadFile(local_ / "a.mp3", progress_), kTransferFailed);
    EXPECT_EQ(jpegTransfer_.UploadFile(local_ / "a.jpg", progress_), kTransferFailed);
    EXPECT_EQ(prompter_.texts(),
              (std::vector<std::string>{"There is not enough disk space in MP3",
                                        "There is not enough disk space in JPEG"}));
    EXPECT_FALSE(fs::exists(disk("mp3/a.mp3")));
    EXPECT_FALSE(fs::exists(disk("jpeg/a.jpg")));
}

TEST_F(MediaTransferTest, FileOfOneFullBlockIsSentAsThatBlockAndTheClosingOne) {
    std::vector<std::uint32_t> lengths;
    (*sim_)->registerCommand(
        cmd::kUploadFile,
        [&](CommandSession& s, std::uint8_t, std::uint32_t) {
            std::vector<std::uint8_t> b(256);
            s.receive(b.data(), b.size());
            std::vector<std::uint8_t> block(UploadBlock::kSize);
            do {
                s.receive(block.data(), block.size());
                lengths.push_back(common::loadBe32(block.data()));
            } while (lengths.back() != 0);
            s.sendReply(0, 0, 0);
        },
        velkport::link::channel::kMp3);
    writeFile(local_ / "one.mp3", fixtures::randomBytes(65523));
    ASSERT_EQ(mp3Transfer_.UploadFile(local_ / "one.mp3", progress_), kTransferDone);
    EXPECT_EQ(lengths, (std::vector<std::uint32_t>{65523, 0}));
}

TEST_F(MediaTransferTest, RenameAndDeleteSendTheKindInTheirFirstBytes) {
    std::vector<int> firstBytes;
    auto capture = [&](int blocks) {
        return [&, blocks](CommandSession& s, std::uint8_t, std::uint32_t) {
            for (int i = 0; i < blocks; ++i) {
                std::vector<std::uint8_t> b(256);
                s.receive(b.data(), b.size());
                firstBytes.push_back(b[0]);
            }
            s.sendReply(0, 0, 0);
        };
    };
    (*sim_)->registerCommand(cmd::kRename, capture(2), velkport::link::channel::kMp3);
    (*sim_)->registerCommand(cmd::kDelete, capture(1), velkport::link::channel::kMp3);
    ASSERT_TRUE(mp3_.RenameItem("Rock", "Jazz", kKindFolder));
    ASSERT_TRUE(mp3_.RenameItem("a.mp3", "b.mp3", kKindFile));
    ASSERT_TRUE(mp3_.DeleteItem("b.mp3", kKindFile));
    ASSERT_TRUE(mp3_.DeleteItem("Jazz", kKindFolder));
    EXPECT_EQ(firstBytes, (std::vector<int>{0x10, 0x20, 0x11, 0x21, 1, 0}));
}

TEST_F(MediaTransferTest, ReceiverNamesNeverLeaveTheChosenFolder) {
    fs::create_directories(local_ / "inside");
    (*sim_)->registerCommand(
        cmd::kListFolder,
        [](CommandSession& s, std::uint8_t, std::uint32_t) {
            for (const auto& e :
                 {velkport::link::FolderEntry::File("../escape.mp3", 3),
                  velkport::link::FolderEntry::Folder(".."), velkport::link::FolderEntry::End()}) {
                const auto b = e.Build();
                s.send(b.data(), b.size());
            }
            s.sendReply(0, 0, 0);
        },
        velkport::link::channel::kMp3);
    std::vector<velkport::link::FolderEntry> entries;
    ASSERT_TRUE(mp3_.ListFolder(entries));
    for (const auto& e : entries)
        EXPECT_EQ(mp3Transfer_.Download({e}, local_ / "inside", progress_), kTransferFailed)
            << e.name;
    EXPECT_EQ(Tree(local_.path()), std::vector<std::string>{"inside/"});
}

TEST_F(MediaTransferTest, FolderThatContainsItselfStopsAtABoundedDepth) {
    fs::create_directories(disk("mp3/Loop"));
    writeFile(disk("mp3/Loop/a.mp3"), "abc");
    fs::create_directory_symlink("../Loop", disk("mp3/Loop/Again"));
    EXPECT_EQ(mp3Transfer_.DownloadFolder("Loop", local_.path(), progress_), kTransferFailed);
    int depth = 0;
    for (auto it = fs::recursive_directory_iterator(local_.path()); it != decltype(it)(); ++it)
        depth = std::max(depth, it.depth());
    EXPECT_LE(depth, MediaTransfer::kMaxDepth);
    EXPECT_TRUE(mp3_.currentLevels().empty());  // back where the transfer started
}

TEST_F(MediaTransferTest, OversizedOrOverlongAnswersAreRefused) {
    writeFile(disk("mp3/a.mp3"), "abc");
    // A block claiming more payload than a block holds, and one carrying more than announced.
    for (std::uint32_t n : {0xFFFFFFFFu, 65532u}) {
        (*sim_)->registerCommand(
            cmd::kNextDataBlock,
            [n](CommandSession& s, std::uint8_t, std::uint32_t) {
                std::vector<std::uint8_t> b(velkport::link::DataBlock::kSize, 'x');
                common::storeBe32(b.data(), n);
                s.send(b.data(), b.size());
                s.sendReply(0, 0, 0);
            },
            velkport::link::channel::kMp3);
        EXPECT_EQ(mp3Transfer_.DownloadFile("a.mp3", local_.path(), progress_), kTransferFailed)
            << n;
        EXPECT_TRUE(fs::is_empty(local_.path())) << n;
    }
    (*sim_)->registerCommand(
        cmd::kThumbnail,
        [](CommandSession& s, std::uint8_t, std::uint32_t) {
            std::vector<std::uint8_t> b(velkport::link::DataBlock::kSize + 256, 0);
            s.receive(b.data(), 256);
            common::storeBe32(b.data(), 70000);
            s.send(b.data(), velkport::link::DataBlock::kSize);
            s.sendReply(0, 0, 0);
        },
        velkport::link::channel::kJpeg);
    EXPECT_FALSE(jpeg_.GetThumbnail("a.jpg"));
}

TEST_F(MediaTransferTest, PicturesArePreparedOnTheWayAndNonPicturesRefused) {
    writeFile(local_ / "photo.jpg", fixtures::MakeJpeg(640, 480));
    writeFile(local_ / "fake.jpg", "GIF89a not a picture");
    EXPECT_EQ(jpegTransfer_.Upload({local_ / "fake.jpg", local_ / "photo.jpg"}, progress_),
              kTransferFailed);
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"'fake.jpg' is not a jpeg file"});
    EXPECT_FALSE(fs::exists(disk("jpeg/fake.jpg")));
    const std::string stored = readFile(disk("jpeg/photo.jpg"));
    const auto span =
        std::span(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
    EXPECT_TRUE(JpegPreparer::IsPrepared(span));
    // The receiver's thumbnail is the one the upload carried.
    const auto thumb = jpeg_.GetThumbnail("photo.jpg");
    ASSERT_TRUE(thumb);
    EXPECT_EQ(*thumb, *JpegPreparer::ExifThumbnail(span));
    EXPECT_TRUE(fs::is_empty(work_.path()) || fs::is_empty(*fs::directory_iterator(work_.path())));
}
