// The media areas' records read from bytes written out by hand, and the texts and name rules of
// the manager windows.

#include <gtest/gtest.h>

#include <vector>

#include "velkport/link/FolderEntry.h"
#include "velkport/media/DiskUsageAnswer.h"
#include "velkport/media/FolderHistory.h"
#include "velkport/media/FolderTreeEntry.h"
#include "velkport/media/MediaText.h"
#include "velkport/media/UploadBlock.h"

using namespace velkport::media;
using velkport::link::FolderEntry;

namespace {

std::vector<std::uint8_t> Bytes(std::size_t size, std::initializer_list<std::pair<int, int>> at,
                                const char* text = nullptr, std::size_t textAt = 1) {
    std::vector<std::uint8_t> b(size, 0);
    for (auto [i, v] : at)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    for (std::size_t i = 0; text && text[i]; ++i)
        b[textAt + i] = static_cast<std::uint8_t>(text[i]);
    return b;
}

}  // namespace

TEST(MediaRecords, Mp3EntryGivesSizeAndSecondsColumns) {
    // kind 0, "song.mp3", size 0x00000600 (1,536), seconds 0x00000E8D (3725)
    auto b =
        Bytes(281, {{256, 0x00}, {257, 0x00}, {258, 0x06}, {259, 0x00}, {262, 0x0E}, {263, 0x8D}},
              "song.mp3");
    FolderEntry e;
    ASSERT_TRUE(FolderEntry::Parse(b, e));
    EXPECT_EQ(RowTexts(MediaType::Mp3, e),
              (std::vector<std::string>{"song.mp3", "2KB", "Mp3", "1:02:05"}));
}

TEST(MediaRecords, JpegEntryDateIsRewrittenOnlyForFiles) {
    auto b = Bytes(281, {{258, 0x10}}, "pic.jpg");
    const char date[] = "2009:07:14 18:30:05";
    std::copy(date, date + 19, b.begin() + 260);
    FolderEntry e;
    ASSERT_TRUE(FolderEntry::Parse(b, e));
    EXPECT_EQ(RowTexts(MediaType::Jpeg, e)[3], "14.07.2009-18:30:05");
    EXPECT_EQ(RowTexts(MediaType::Jpeg, e)[1], "4KB");
    b[0] = 0x01;  // the same bytes as a folder: no size, type or date
    ASSERT_TRUE(FolderEntry::Parse(b, e));
    EXPECT_EQ(RowTexts(MediaType::Jpeg, e), (std::vector<std::string>{"pic.jpg", "", "", ""}));
    EXPECT_EQ(FormatJpegDate("2009:07:14", true), "2009:07:14");
}

TEST(MediaRecords, FolderTreeEntryNamesItsLevels) {
    FolderTreeEntry e;
    ASSERT_TRUE(FolderTreeEntry::Parse(Bytes(256, {{0, 0x01}}, "Music\\Rock"), e));
    EXPECT_FALSE(e.isEnd());
    EXPECT_EQ(e.levels(), (std::vector<std::string>{"Music", "Rock"}));
    ASSERT_TRUE(FolderTreeEntry::Parse(Bytes(256, {{0, 0xFF}}), e));
    EXPECT_TRUE(e.isEnd());
    auto unterminated = Bytes(256, {{0, 1}});
    std::fill(unterminated.begin() + 1, unterminated.end(), 'x');
    ASSERT_TRUE(FolderTreeEntry::Parse(unterminated, e));
    EXPECT_EQ(e.name.size(), 255u);
    EXPECT_FALSE(FolderTreeEntry::Parse(Bytes(255, {}), e));
}

TEST(MediaRecords, DiskUsageFreeSpaceInWholeMegabytes) {
    // used 1,000,000 KB (00 0F 42 40), total 1,003,000 KB (00 0F 4D F8): 2 MB free
    DiskUsageAnswer a;
    ASSERT_TRUE(DiskUsageAnswer::Parse(
        Bytes(256, {{1, 0x0F}, {2, 0x42}, {3, 0x40}, {5, 0x0F}, {6, 0x4D}, {7, 0xF8}}), a));
    EXPECT_EQ(a.usedKiB, 1000000u);
    EXPECT_EQ(a.totalKiB, 1003000u);
    EXPECT_EQ(a.freeMiB(), 2u);
    // More used than total does not wrap around to a huge free space.
    ASSERT_TRUE(DiskUsageAnswer::Parse(Bytes(256, {{0, 0x10}, {7, 0x01}}), a));
    EXPECT_EQ(a.freeMiB(), 0u);
    EXPECT_FALSE(DiskUsageAnswer::Parse(Bytes(8, {}), a));
}

TEST(MediaRecords, UploadBlockLengthIsBounded) {
    UploadBlock b;
    EXPECT_TRUE(UploadBlock::Parse(Bytes(65527, {{1, 0x00}, {2, 0xFF}, {3, 0xF3}}), b));
    EXPECT_EQ(b.length(), 65523u);
    EXPECT_FALSE(UploadBlock::Parse(Bytes(65527, {{2, 0xFF}, {3, 0xF4}}), b));  // 65524
    EXPECT_FALSE(UploadBlock::Parse(Bytes(65526, {}), b));
    b.setLength(100000);
    EXPECT_EQ(b.bytes()[2], 0xFF);
    EXPECT_EQ(b.bytes()[3], 0xF3);
}

TEST(MediaText, Seconds) {
    const std::vector<std::pair<std::uint32_t, std::string>> seconds = {
        {0, "00:00"},      {59, "00:59"},     {65, "01:05"},
        {3600, "1:00:00"}, {3725, "1:02:05"}, {36000, "10:00:00"}};
    for (const auto& [s, text] : seconds)
        EXPECT_EQ(FormatSeconds(s), text) << s;
}

TEST(MediaText, NewFolderNameSkipsTakenNamesWithoutRegardToCase) {
    EXPECT_EQ(ProposeNewFolderName({"New Folder", "new folder(2)"}), "new folder(3)");
    EXPECT_EQ(ProposeNewFolderName({"new folder(2)"}), "new folder");
}

TEST(MediaText, RenameRules) {
    struct Case {
        MediaType type;
        bool file;
        std::string from, to;
        RenameCheck::Result result;
        std::string nameOrMessage;
    };
    const std::vector<std::string> siblings = {"song.mp3", "Other.mp3", "pic.jpg", "Rock"};
    const std::vector<Case> cases = {
        {MediaType::Mp3, true, "song.mp3", "song", RenameCheck::Unchanged, ""},
        {MediaType::Mp3, true, "song.mp3", "tune", RenameCheck::Ok, "tune.mp3"},
        {MediaType::Mp3, true, "song.mp3", "song.wav", RenameCheck::Refused, "167"},
        {MediaType::Mp3, true, "song.mp3", "other.MP3", RenameCheck::Refused, "168"},
        {MediaType::Mp3, true, "song.mp3", "", RenameCheck::Refused, "166"},
        {MediaType::Mp3, true, "song.mp3", "a:b.mp3", RenameCheck::Refused, "165"},
        {MediaType::Mp3, false, "Rock", "Rock", RenameCheck::Unchanged, ""},
        {MediaType::Mp3, false, "Rock", "Jazz.old", RenameCheck::Ok, "Jazz.old"},
        {MediaType::Jpeg, true, "pic.jpg", "pic2", RenameCheck::Ok, "pic2.jpg"},
        {MediaType::Jpeg, true, "pic.jpg", "pic2.JPEG", RenameCheck::Ok, "pic2.JPEG"},
        {MediaType::Jpeg, true, "pic.jpg", "pic2.png", RenameCheck::Refused, "167"},
    };
    for (const auto& c : cases) {
        const auto r = CheckRename(c.type, c.file, c.from, c.to, siblings);
        EXPECT_EQ(r.result, c.result) << c.to;
        EXPECT_EQ(c.result == RenameCheck::Refused ? std::to_string(r.message) : r.name,
                  c.nameOrMessage)
            << c.to;
    }
}

TEST(MediaText, ReceiverNamesThatMayBecomeLocalNames) {
    for (const char* ok : {"song.mp3", "a b", "..x", "x.."})
        EXPECT_TRUE(SafeLocalName(ok)) << ok;
    for (const char* bad : {"", ".", "..", "a/b", "/etc", "a\\b", "..\\x", "a\nb"})
        EXPECT_FALSE(SafeLocalName(bad)) << bad;
    EXPECT_EQ(RemoteFolderPath({}), "Top\\");
    EXPECT_EQ(RemoteFolderPath({"Music", "Rock"}), "Top\\Music\\Rock\\");
}

TEST(FolderHistory, BackAndForwardAcrossBothSides) {
    using velkport::media::FolderHistory;
    using S = FolderHistory::Side;
    FolderHistory h;
    EXPECT_FALSE(h.Back());
    h.Visit({S::Pc, "/home"});
    h.Visit({S::Receiver, "Music"});
    h.Visit({S::Receiver, "Music"});
    h.Visit({S::Receiver, "Music/Rock"});
    EXPECT_EQ(h.Back(), (FolderHistory::Entry{S::Receiver, "Music"}));
    EXPECT_EQ(h.Back(), (FolderHistory::Entry{S::Pc, "/home"}));
    EXPECT_FALSE(h.canGoBack());
    EXPECT_EQ(h.Forward(), (FolderHistory::Entry{S::Receiver, "Music"}));
    h.Visit({S::Pc, "/tmp"});  // a new folder drops what was ahead
    EXPECT_FALSE(h.canGoForward());
    EXPECT_EQ(h.entries().size(), 3u);
}
