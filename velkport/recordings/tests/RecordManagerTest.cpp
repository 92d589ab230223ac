// The recordings manager against the emulated receiver on loopback: downloads and
// uploads of TV and radio recordings, split recordings, Cancel, a receiver that dies mid-stream,
// delete, rename, folders and pictures.

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "tests/fixtures/RecordingProgress.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/ReceiverSim.h"
#include "tools/receiver-sim/RecordingsService.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/recordings/RecordManager.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/TailHeader.h"
#include "velkport/recordings/tests/TestMedia.h"
#include "velkport/shell/base/MessageCatalogue.h"

using namespace velkport::recordings;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBlock = kStreamPayloadSize;
using fixtures::kNewsJson;

class RecordManagerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        tv_ = fixtures::RecordingStream(12, kBlock);  // a whole number of blocks arrives whole
        ASSERT_GT(tv_.size(), 30 * kBlock);
    }

    void SetUp() override {
        ASSERT_TRUE(sim_.ok()) << sim_.error();
        table_.InitialiseChannels("127.0.0.1", sim_->portBase());
        table_.setTimeLimit(std::chrono::seconds(10));
    }
    void TearDown() override { table_.ShutdownChannels(); }

    RecordManager manager(RecordManagerOptions o = {}) {
        return RecordManager(table_, prompter_, local_.path(), o);
    }
    // A manager over a receiver that holds the TV recording REC0001, "News".
    RecordManager newsManager(RecordManagerOptions o = {}) {
        sim_.addRecording(false, "REC0001", tv_, kNewsJson);
        return manager(o);
    }
    // The receiver's list in the manager's mode, with a failure when it cannot be read.
    static std::vector<RecordEntry> receiverList(RecordManager& m) {
        std::vector<RecordEntry> items;
        EXPECT_TRUE(m.RefreshReceiverList(items));
        return items;
    }
    std::vector<std::string> localFiles() const { return fixtures::SortedNames(local_.path()); }
    static std::string streamOf(const fs::path& p) {
        TailHeaderReader r;
        EXPECT_EQ(r.open(p, LargeFile::Mode::ReadShared), TailStatus::Ok);
        return fixtures::readFile(p).substr(0, static_cast<std::size_t>(r.streamLength()));
    }

    static inline std::string tv_;
    fixtures::RunningSim sim_;
    fixtures::TempDir local_;
    velkport::link::ChannelTable table_;
    fixtures::RecordingPrompter prompter_;
    fixtures::RecordingProgress progress_;
};

}  // namespace

TEST_F(RecordManagerTest, TvDownloadKeepsStreamHeaderAndPictureIsListedAndUploadsBackWhole) {
    auto m = newsManager();
    auto out = m.DownloadRecording("REC0001", "News", progress_);
    ASSERT_TRUE(out.result.done());
    EXPECT_EQ(out.channelName, "Kanal: Sieben");
    EXPECT_EQ(out.file.filename(), "Kanal_ Sieben_News_REC0001.ts");
    EXPECT_EQ(progress_.total, tv_.size() / kBlock);
    EXPECT_EQ(streamOf(out.file), tv_);

    TailHeaderContents c;
    ASSERT_EQ(ReadTailHeader(out.file, c), TailStatus::Ok);
    EXPECT_EQ(c.title, "News");
    EXPECT_NE(c.eventText.find("(1/1)\r\nHeadlines\r\nToday"), std::string::npos);
    EXPECT_LE(c.thumbnail.size(), 65536u);

    auto pcList = m.RefreshPcList();
    ASSERT_EQ(pcList.size(), 1u);
    EXPECT_EQ(pcList[0].title, "News");

    // Back to the receiver: a new recording with the same stream and the list entry's fields.
    fs::remove(sim_ / "recordings/tv/REC0001.ts");
    ASSERT_TRUE(m.UploadRecording(out.file.filename(), progress_).done());
    auto items = receiverList(m);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::tie(items[0].title, items[0].channelName, items[0].channelNumber),
              std::tuple("News", "Kanal: Sieben", 7u));
    EXPECT_EQ(fixtures::readFile(sim_ / "recordings/tv" / (items[0].fileName + ".ts")), tv_);
    EXPECT_EQ(m.LastName(), items[0].fileName);

    // The PC list shows only recordings of the mode with valid trailers, whatever the case of
    // their ending.
    fs::rename(out.file, local_ / "x.TS");
    fixtures::writeFile(local_ / "y.ts", std::string(5000, 'y'));
    pcList = m.RefreshPcList();
    ASSERT_EQ(pcList.size(), 1u);
    EXPECT_EQ(pcList[0].fileName, "x.TS");
    m.setRadio(true);
    EXPECT_TRUE(m.RefreshPcList().empty());
}

TEST_F(RecordManagerTest, RadioDownloadDropsBlocksWithoutSyncAndStoresBareIndexBlocks) {
    std::string radio = tv_.substr(0, 30 * kBlock);
    std::string garbage(kBlock, '\0');
    std::string onAir = radio.substr(0, 5 * kBlock) + garbage + radio.substr(5 * kBlock);
    sim_.addRecording(true, "RAD01", onAir, R"({"title": "Jazz", "channelName": "Radio 1"})");
    auto m = manager();
    m.setRadio(true);
    auto out = m.DownloadRecording("RAD01", "Jazz", progress_);
    ASSERT_TRUE(out.result.done());
    EXPECT_EQ(out.file.filename(), "Radio 1_Jazz_RAD01.rts");
    EXPECT_EQ(streamOf(out.file), radio);
    TailHeaderContents c;
    ASSERT_EQ(ReadTailHeader(out.file, c), TailStatus::Ok);
    EXPECT_TRUE(c.thumbnail.empty());
    // The index block (flag 0) is kept as its type alone.
    TailHeaderReader r;
    ASSERT_EQ(r.open(out.file, LargeFile::Mode::ReadShared), TailStatus::Ok);
    std::string text;
    std::vector<std::uint8_t> thumb, payload;
    ASSERT_TRUE(r.readBody(text, thumb));
    HeaderBlock b;
    ASSERT_EQ(r.nextBlock(b, payload), 1);
    EXPECT_EQ(b.type, 1u);
    ASSERT_EQ(r.nextBlock(b, payload), 1);
    EXPECT_EQ(b.type, 2u);
    EXPECT_EQ(b.payloadLength, 0u);
    EXPECT_EQ(b.count, 0u);

    ASSERT_TRUE(m.UploadRecording(out.file.filename(), progress_).done());
    auto name = m.LastName();
    ASSERT_TRUE(name);
    EXPECT_EQ(fixtures::readFile(sim_ / "recordings/radio" / (*name + ".ts")), radio);
    EXPECT_EQ(progress_.total, (radio.size() + kBlock - 1) / kBlock);
}

TEST_F(RecordManagerTest, OnASizeLimitedFileSystemRecordingsAreSplitAndUploadedAsOne) {
    RecordManagerOptions o;
    o.assumeSizeLimitedFileSystem = true;
    o.splitThreshold = 90000 + 64512 + 10 * kBlock;  // header (thumbnail included) + ~10 blocks
    auto m = newsManager(o);
    ASSERT_TRUE(m.SplitsFiles());
    auto out = m.DownloadRecording("REC0001", "News", progress_);
    ASSERT_TRUE(out.result.done());
    auto parts = m.PartFiles(out.file.filename().string());
    ASSERT_GE(parts.size(), 2u);
    EXPECT_EQ(parts[0].filename(), "Kanal_ Sieben_News_REC0001_1.ts.ots");
    std::string joined = streamOf(out.file);
    for (std::size_t i = 1; i <= parts.size(); ++i)
        joined += fixtures::readFile(
            local_ / ("Kanal_ Sieben_News_REC0001_" + std::to_string(i) + ".ts.ots"));
    EXPECT_EQ(joined, tv_);
    // Only the first part carries the header.
    EXPECT_FALSE(ReadTailTitle(parts[0]));

    fs::remove(sim_ / "recordings/tv/REC0001.ts");
    ASSERT_TRUE(m.UploadRecording(out.file.filename(), progress_).done());
    EXPECT_EQ(fixtures::readFile(sim_ / "recordings/tv" / (*m.LastName() + ".ts")), tv_);

    // Renaming and deleting on the PC take the parts along.
    auto renamed = m.RenamePcFile(out.file.filename().string(), "Evening");
    ASSERT_EQ(renamed, "Evening.ts");
    EXPECT_EQ(m.PartFiles("Evening.ts").size(), parts.size());
    EXPECT_TRUE(m.PartFiles(out.file.filename().string()).empty());
    prompter_.answerYes();
    ASSERT_TRUE(m.DeletePcFiles({"Evening.ts"}));
    EXPECT_EQ(localFiles(), std::vector<std::string>{"temp.header"});

    // A cancelled download with a new part after every block leaves none of them behind.
    o.splitThreshold = 1;
    auto everyBlock = manager(o);
    progress_.cancel = true;
    EXPECT_TRUE(everyBlock.DownloadRecording(*m.LastName(), "News", progress_).result.stopped());
    EXPECT_EQ(localFiles(), std::vector<std::string>{"temp.header"});
}

TEST_F(RecordManagerTest, CancelsLeaveTheOlderCopyAndTakeAPartialUploadBack) {
    auto m = newsManager();
    const fs::path file = m.DownloadRecording("REC0001", "News", progress_).file;
    const std::string older = fixtures::readFile(file);
    progress_.cancel = true;
    EXPECT_TRUE(m.DownloadRecording("REC0001", "News", progress_).result.stopped());
    EXPECT_TRUE(fixtures::readFile(file) == older);
    EXPECT_EQ(localFiles(), (std::vector<std::string>{file.filename().string(), "temp.header"}));
    // The receiver answered the stop: the channel goes on with the next request.
    EXPECT_EQ(receiverList(m).size(), 1u);

    // A cancelled upload takes its partial recording back and stops the batch.
    fs::copy_file(file, local_ / "Second.ts");
    fs::remove(sim_ / "recordings/tv/REC0001.ts");
    progress_.cancel = false;
    progress_.cancelAfter = 3;
    auto batch = m.UploadBatch({file.filename(), "Second.ts"}, progress_);
    EXPECT_TRUE(batch.result.stopped());
    EXPECT_TRUE(batch.receiverNames.empty());
    EXPECT_TRUE(receiverList(m).empty());
}

TEST_F(RecordManagerTest, ARenameOnThePcNeverReplacesAnotherFileNorPart) {
    auto m = newsManager();
    const std::string name = m.DownloadRecording("REC0001", "News", progress_).file.filename();
    fixtures::writeFile(local_ / "Taken.ts", "another recording");
    fixtures::writeFile(local_ / "Free_1.ts.ots", "a part of another one");
    fixtures::writeFile(local_ / (fs::path(name).stem().string() + "_1.ts.ots"), "its own part");
    EXPECT_FALSE(m.RenamePcFile(name, "Taken"));
    EXPECT_FALSE(m.RenamePcFile(name, "free"));  // its part would land on Free_1.ts.ots
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>(2, velkport::shell::Msg(168)));
    EXPECT_EQ(fixtures::readFile(local_ / "Taken.ts"), "another recording");
    EXPECT_EQ(fixtures::readFile(local_ / "Free_1.ts.ots"), "a part of another one");
    EXPECT_TRUE(fs::exists(local_ / name));
}

TEST_F(RecordManagerTest, AReceiverThatDiesMidStreamFailsTheDownloadAndLeavesNoFile) {
    std::string json = kNewsJson;
    json.insert(1, R"("dropAfterBlocks": 20, )");
    sim_.addRecording(false, "REC0001", tv_, json);
    auto m = manager();
    auto out = m.DownloadRecording("REC0001", "News", progress_);
    EXPECT_TRUE(out.result.failed());
    EXPECT_EQ(localFiles(), std::vector<std::string>{"temp.header"});
    EXPECT_FALSE(prompter_.entries.empty());  // the receive error was shown
    std::vector<RecordEntry> items;
    EXPECT_TRUE(m.RefreshReceiverList(items));  // the channel opens again
}

TEST_F(RecordManagerTest, BatchSkipsScrambledRecordingsAndStopsAtAFailure) {
    sim_.addRecording(false, "A", tv_, R"({"title": "C:Movie", "channelName": "One"})");
    sim_.addRecording(false, "B", tv_, R"({"title": "Secret", "scrambled": 1})");
    auto m = manager();
    auto items = receiverList(m);
    RecordEntry missing;
    missing.fileName = "GONE";
    missing.title = "Gone";
    items.push_back(missing);
    auto batch = m.DownloadBatch(items, progress_);
    EXPECT_TRUE(batch.result.failed());
    ASSERT_EQ(batch.files.size(), 1u);
    EXPECT_EQ(batch.files[0].filename(), "One_CC_Movie_A.ts");
    EXPECT_TRUE(prompter_.said("This file(Secret) is scrambled file"));
    EXPECT_FALSE(fs::exists(local_ / "temp.header"));
}

TEST_F(RecordManagerTest, TooLittleSpaceOnThePcFailsBeforeAnythingIsFetched) {
    RecordManagerOptions o;
    o.pcFreeSpaceMiB = 5;
    auto m = newsManager(o);
    EXPECT_TRUE(m.DownloadRecording("REC0001", "News", progress_).result.failed());
    EXPECT_TRUE(prompter_.said("There is not enough disk space in RECORD"));
    EXPECT_TRUE(localFiles().empty());
}

TEST_F(RecordManagerTest, DeleteAndRenameOnTheReceiver) {
    sim_.addRecording(false, "A", "x", R"({"title": "Alpha"})");
    sim_.addRecording(false, "B", "x", R"({"title": "Beta"})");
    auto m = manager();
    auto items = receiverList(m);
    prompter_.answerNo();
    EXPECT_TRUE(m.DeleteReceiverRecordings(items).empty());
    EXPECT_TRUE(prompter_.said("Are you sure you want delete 2 items ?"));
    prompter_.answerYes();
    EXPECT_EQ(m.DeleteReceiverRecordings({items[1]}), std::vector<std::string>{"B"});

    EXPECT_FALSE(m.RenameReceiverRecording(items[0], "ALPHA"));  // same without case: nothing
    EXPECT_EQ(m.CheckNewName("Alpha", "ALPHA"), RecordManager::NameCheck::Unchanged);
    EXPECT_FALSE(m.RenameReceiverRecording(items[0], "a/b"));
    EXPECT_TRUE(prompter_.said(velkport::shell::Msg(165) + ":\n\t\\ / : * ? \" < > |"));
    EXPECT_FALSE(m.RenameReceiverRecording(items[0], ""));
    EXPECT_TRUE(prompter_.said("You must type a filename"));
    EXPECT_FALSE(m.RenameReceiverRecording(items[0], std::string(32, 'x')));
    EXPECT_TRUE(prompter_.said("Channel name is too long"));
    ASSERT_TRUE(m.RenameReceiverRecording(items[0], "Gamma"));
    items = receiverList(m);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, "Gamma");
}

TEST_F(RecordManagerTest, ScrambledVideoGivesNoPictureAndABrokenPcFileMayBeDeleted) {
    // A stream whose video is scrambled gives no picture although the list does not say so.
    sim_.addRecording(false, "SCR", fixtures::ScrambleVideo(tv_),
                      R"({"title": "S", "scrambled": 0})");
    auto m = manager();
    std::string text;
    ThumbnailResult picture;
    EXPECT_FALSE(m.ReceiverPicture(receiverList(m).at(0), text, picture));
    EXPECT_TRUE(picture.stopped);

    fixtures::writeFile(local_ / "short.ts", std::string(47, 's'));
    EXPECT_FALSE(m.PcPicture("short.ts", text, picture, false));  // velkctl's way: no question
    EXPECT_TRUE(prompter_.entries.empty());
    prompter_.answerYes();
    EXPECT_FALSE(m.PcPicture("short.ts", text, picture));
    EXPECT_TRUE(prompter_.said("This is incorrect file. Do you want delete?"));
    EXPECT_FALSE(fs::exists(local_ / "short.ts"));
}

TEST_F(RecordManagerTest, ReceiverFoldersAreReadSelectedRenamedAndDeleted) {
    sim_.addRecording(false, "TOP", "x", R"({"title": "Top"})");
    fs::create_directories(sim_ / "recordings/tv/Films/Crime");
    fixtures::writeFile(sim_ / "recordings/tv/Films/Crime/C1.ts", "x");
    fs::create_directories(sim_ / "recordings/radio/Music");
    auto m = manager();
    ASSERT_TRUE(m.FoldersSupported());
    std::array<std::optional<FolderRecord>, 256> table;
    ASSERT_TRUE(m.ReadFolders(table));
    FolderNode root = BuildFolderTree(table);
    EXPECT_EQ(root.name, "Recordings");
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].name, "Films");
    ASSERT_EQ(root.children[0].children.size(), 1u);
    EXPECT_EQ(root.children[0].children[0].name, "Crime");
    EXPECT_EQ(root.children[1].name, "Music");

    ASSERT_TRUE(m.SelectFolder(root.children[0].children[0].id));
    auto items = receiverList(m);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].fileName, "C1");
    ASSERT_TRUE(m.RenameFolder(root.children[1].id, "Jazz"));
    EXPECT_TRUE(fs::exists(sim_ / "recordings/radio/Jazz"));
    EXPECT_FALSE(m.RenameFolder(root.children[1].id, "../escape"));
    ASSERT_TRUE(m.DeleteFolder(root.children[0].id));
    EXPECT_FALSE(fs::exists(sim_ / "recordings/tv/Films"));
    ASSERT_TRUE(m.RefreshReceiverList(items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].fileName, "TOP");
    auto usage = m.ReceiverDiskUsage();
    ASSERT_TRUE(usage);
    EXPECT_GT(usage->totalMiB, 0u);
}

TEST_F(RecordManagerTest, PcDiskBarReadsTheDriveOfTheLocalFolder) {
    auto m = manager();
    auto usage = m.PcDiskUsage();
    ASSERT_TRUE(usage);
    EXPECT_GT(usage->totalMiB, 0u);
    EXPECT_LE(usage->usedMiB, usage->totalMiB);
    // Free space and the bar agree within what the drive changes between the two reads.
    const auto free = static_cast<std::int64_t>(m.PcFreeSpace());
    EXPECT_LE(std::llabs(free - static_cast<std::int64_t>(usage->freeMiB())), 64);
    m.setLocalFolder(local_ / "missing");
    EXPECT_FALSE(m.PcDiskUsage());
}
