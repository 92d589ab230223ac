// The records of the recordings protocol pinned byte for byte. Every expected byte is typed in
// from the record tables, never made by the builders under test, so a layout fault that the
// emulated receiver shares with the client (it builds its answers with the same code) shows here.

#include <gtest/gtest.h>

#include <string_view>

#include "velkport/recordings/FolderRecord.h"
#include "velkport/recordings/RecordCommands.h"
#include "velkport/recordings/RecordEntry.h"
#include "velkport/recordings/StreamBlock.h"

using namespace velkport::recordings;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Writes hex pairs ("00 00 02 59") into b from offset on; blanks are ignored.
void Put(Bytes& b, std::size_t offset, std::string_view hex) {
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        b.at(offset++) =
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
        i += 2;
    }
}

Bytes Block(std::size_t size, std::string_view hex) {
    Bytes b(size, 0);
    Put(b, 0, hex);
    return b;
}

}  // namespace

TEST(RecordLayoutBytes, DiskUsageIsUsedThenTotalInMiB) {
    const Bytes block = Block(256, "00 00 01 2C 00 00 0B B8");  // used 300, total 3000
    auto usage = ParseDiskUsage(block);
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->usedMiB, 300u);
    EXPECT_EQ(usage->totalMiB, 3000u);
    EXPECT_EQ(usage->freeMiB(), 2700u);
    Bytes built(256, 0xEE);
    BuildDiskUsage({300, 3000}, built);
    EXPECT_EQ(built, block);
}

TEST(RecordLayoutBytes, AListMessageCarriesTheEntryFromByteFourAndEndsWithAllOnes) {
    Bytes m = Block(kMessageSize, "69 6E 66 6F");            // "info"
    Put(m, 4 + 8, "00 00 02 59");                            // channel 601
    Put(m, 4 + 12, "41 52 44");                              // "ARD"
    Put(m, 4 + 38, "4E 65 77 73");                           // "News"
    Put(m, 4 + 70, "52 45 43 30 31");                        // "REC01"
    Put(m, 4 + 136, "65 53 F1 00 00 00 0E 8D 00 00 00 01");  // start, 3725 s, scrambled
    RecordEntry e;
    ASSERT_EQ(ParseListMessage(m, e), ListMessageKind::Entry);
    EXPECT_EQ(e.channelNumber, 601u);
    EXPECT_EQ(e.channelName, "ARD");
    EXPECT_EQ(e.title, "News");
    EXPECT_EQ(e.fileName, "REC01");
    EXPECT_EQ(e.start, 1700000000u);
    EXPECT_EQ(e.duration, 3725u);
    EXPECT_EQ(e.scrambled, 1u);
    EXPECT_FALSE(ParseRecordEntry(std::span(m).subspan(4, 147)));
    Bytes built(kMessageSize, 0xEE);
    BuildListMessage(e, built);
    EXPECT_EQ(built, m);

    m[0] = 'I';  // a message without the tag is skipped
    EXPECT_EQ(ParseListMessage(m, e), ListMessageKind::Skip);
    const Bytes end = Block(kMessageSize, "69 6E 66 6F FF FF FF FF");
    EXPECT_EQ(ParseListMessage(end, e), ListMessageKind::End);
    BuildListEndMessage(built);
    EXPECT_EQ(built, end);
}

TEST(RecordLayoutBytes, ADownloadBlockHeaderGivesLengthRangeAndPosition) {
    const Bytes h = Block(kStreamHeaderSize, "00 00 BC 00 00 00 10 00 00 00 00 7F");
    auto header = ParseStreamBlockHeader(std::span<const std::uint8_t, kStreamHeaderSize>(h));
    EXPECT_TRUE(header.isDownloadData());  // 48128 bytes
    EXPECT_EQ(header.progressRange, 4096u);
    EXPECT_EQ(header.progressPosition, 127u);
    Bytes built(kStreamHeaderSize, 0xEE);
    BuildStreamBlockHeader({48128, 4096, 127}, std::span<std::uint8_t, kStreamHeaderSize>(built));
    EXPECT_EQ(built, h);
}

TEST(RecordLayoutBytes, TheRenameTitleBlockIsTheZeroTerminatedTitle) {
    EXPECT_EQ(BuildTitleBlock("Tatort"), Block(256, "54 61 74 6F 72 74"));
    // At most 31 bytes, so that the terminator always fits.
    Bytes cut(256, 0);
    std::fill_n(cut.begin(), 31, 'x');
    EXPECT_EQ(BuildTitleBlock(std::string(40, 'x')), cut);
}
