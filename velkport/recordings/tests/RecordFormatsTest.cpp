// Byte layouts of the recordings protocol and of recording files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/ByteOrder.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/recordings/FolderRecord.h"
#include "velkport/recordings/HeaderBlock.h"
#include "velkport/recordings/RecordEntry.h"
#include "velkport/recordings/RecordInfo.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/StreamBlock.h"
#include "velkport/recordings/TailHeader.h"

using namespace velkport::recordings;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct UtcZone {
    UtcZone() {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

// One piece of a record-info message: a word, stored most significant byte first, bytes
// written out, or pieces joined before.
struct Piece {
    Piece(std::uint32_t word) : bytes(4) { common::storeBe32(bytes.data(), word); }
    Piece(const char* text) : bytes(text, text + std::strlen(text)) {}
    Piece(Bytes joined) : bytes(std::move(joined)) {}
    Bytes bytes;
};

Bytes Join(std::initializer_list<Piece> pieces) {
    Bytes b;
    for (const Piece& p : pieces)
        b.insert(b.end(), p.bytes.begin(), p.bytes.end());
    return b;
}

// A record-info message: the pieces in order, then zeros.
Bytes Info(std::initializer_list<Piece> pieces) {
    Bytes b = Join(pieces);
    b.resize(kMessageSize, 0);
    return b;
}

}  // namespace

TEST(RecordText, DurationsOfTenHoursAndMoreKeepTheirDigits) {
    EXPECT_EQ(FormatDuration(36000), "10:00:00");
}

TEST(RecordText, TitlesBecomeFileNameParts) {
    EXPECT_EQ(TitleForFileName("Who?"), "Who_");
    EXPECT_EQ(SanitizeFileName("a\\b/c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
}

TEST(RecordText, TextsThatAreNotUtf8AreReadAsWindows1252) {
    EXPECT_EQ(ToDisplayText("Caf\xc3\xa9"), "Caf\xc3\xa9");
    EXPECT_EQ(ToDisplayText("Caf\xe9 \x80"), "Caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(CutToBytes("\xc3\xa9\xc3\xa9", 3), "\xc3\xa9");
}

TEST(RecordText, StartTimesShowDayMonthYearInLocalTime) {
    UtcZone utc;
    EXPECT_EQ(FormatStartTime(1700000000), "14.11.2023-22:13:20");
}

TEST(RecordEntryLayout, TitleTrimStopsAtTheFirstOtherByteFromTheEnd) {
    const char field[32] = {'A', ' ', 'B', ' ', ' ', '\0', ' ', '\0'};
    EXPECT_EQ(TrimTitleField(std::span(reinterpret_cast<const std::uint8_t*>(field), 32)), "A B");
    const char full[33] = "0123456789abcdef0123456789abcdef";
    EXPECT_EQ(TrimTitleField(std::span(reinterpret_cast<const std::uint8_t*>(full), 32)).size(),
              32u);
}

TEST(RecordInfoLayout, EventsWithEmptyTextsCarryFourFillerBytes) {
    UtcZone utc;
    // Event 1: empty name (4 + 4 filler), description "Desc".
    const Bytes first = Join({1700000000u, 3725u, 0u, "\xAA\xAA\xAA\xAA", 4u, "Desc"});
    // Event 2: 5-byte name, empty description (4 filler bytes).
    const Bytes second = Join({1700003600u, 59u, 5u, "Hello", 0u, "\xBB\xBB\xBB\xBB"});
    // Thumbnail total 6, first chunk 6, one chunk, index 0.
    const Bytes m = Info({"velk", 2u, first, second, 6u, 6u, 1u, 0u, "abcdef"});
    RecordInfo info;
    ASSERT_TRUE(ParseRecordInfo(m, info));
    EXPECT_EQ(info.thumbnail, Bytes({'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_FALSE(info.needsMoreChunks());
    EXPECT_EQ(info.eventText,
              "2023:11:14 22:13:20-1:02:05(1/2)\r\nDesc"
              "2023:11:14 23:13:20-0:00:59(2/2)\r\nHello\r\n");
}

TEST(RecordInfoLayout, WrongMagicOrLengthsBeyondTheMessageAreRefused) {
    const Bytes refused[] = {
        Info({"VELX"}),
        Info({"VELK", 1u, 0u, 0u, 0x7FFFFFF0u}),  // name length far beyond the message
        Info({"VELK", 0u, kMaxThumbnailBytes + 1, 0u, 1u, 0u}),  // more than any receiver sends
        Info({"VELK", 0u, 100u, 70000u, 1u, 0u}),  // first chunk longer than the message
    };
    RecordInfo info;
    for (const Bytes& m : refused)
        EXPECT_FALSE(ParseRecordInfo(m, info)) << &m - refused;
}

TEST(RecordInfoLayout, ThreeChunksNeedExactlyTwoFurtherMessages) {
    Bytes thumb = [] {
        Bytes t(150000);
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<std::uint8_t>(i * 7);
        return t;
    }();
    auto messages = BuildRecordInfoMessages({}, thumb);
    ASSERT_EQ(messages.size(), 3u);
    RecordInfo info;
    ASSERT_TRUE(ParseRecordInfo(messages[0], info));
    EXPECT_EQ(info.chunkCount, 3u);
    std::size_t read = 0;
    while (info.needsMoreChunks())
        AppendThumbnailChunk(messages[++read], info);
    EXPECT_EQ(read, 2u);
    EXPECT_EQ(info.gathered, thumb.size());
    EXPECT_EQ(info.thumbnail, thumb);
}

TEST(RecordInfoLayout, ChunksBeyondTheAnnouncedTotalAreCutAtTheTotal) {
    const Bytes b = Info({"VELK", 0u, 10u, 8u, 2u, 0u, "12345678"});  // total 10, first chunk 8
    RecordInfo info;
    ASSERT_TRUE(ParseRecordInfo(b, info));
    Bytes chunk(kMessageSize, 0);
    common::storeBe32(&chunk[4], 60000);  // far more than the 2 bytes left
    common::storeBe32(&chunk[12], 1);
    std::memset(&chunk[16], 'x', 60000);
    ASSERT_TRUE(info.needsMoreChunks());
    AppendThumbnailChunk(chunk, info);
    EXPECT_FALSE(info.needsMoreChunks());
    EXPECT_EQ(info.gathered, 10u);
    EXPECT_EQ(std::string(info.thumbnail.begin(), info.thumbnail.end()), "12345678xx");
}

TEST(RecordInfoLayout, EmptyChunksAddNothingAndDoNotCount) {
    auto messages = BuildRecordInfoMessages({}, Bytes(70000, 1));
    RecordInfo info;
    ASSERT_TRUE(ParseRecordInfo(messages[0], info));
    Bytes empty(kMessageSize, 0);
    common::storeBe32(&empty[12], 1);  // index 1 but length 0
    std::uint32_t before = info.gathered;
    AppendThumbnailChunk(empty, info);
    EXPECT_EQ(info.gathered, before);
    EXPECT_EQ(info.lastChunkIndex, 0u);
}

TEST(HeaderBlockLayout, ClosingBlockAndRadioStorage) {
    Bytes m(kMessageSize, 0);
    BuildHeaderBlock({4, 0, 3, 2, 1}, m.data());
    std::memcpy(&m[20], "xyz", 3);
    auto block = ReadHeaderBlockMessage(m);
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->header.isClosing());
    EXPECT_EQ(StoredHeaderBlock(*block, false),
              Bytes({0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 'x', 'y', 'z'}));
    EXPECT_EQ(StoredHeaderBlock(*block, true),
              Bytes({0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE((HeaderBlock{4, 1, 0, 3, 1}.isClosing()));
    EXPECT_FALSE((HeaderBlock{1, 1, 0, 1, 0}.isClosing()));
    EXPECT_TRUE((HeaderBlock{4, 1, 0, 0, 0}.isClosing()));
    common::storeBe32(&m[8], kMessageSize - 19);  // payload beyond the message
    EXPECT_FALSE(ReadHeaderBlockMessage(m));
}

TEST(StreamBlockLayout, UploadBlockOfOneHundredBytesAndFlowAcks) {
    std::array<std::uint8_t, kStreamHeaderSize> h{};
    BuildStreamBlockHeader({100, 0, 0}, h);
    EXPECT_EQ(h[0], 0);
    EXPECT_EQ(h[3], 0x64);
    EXPECT_TRUE(std::all_of(h.begin() + 4, h.end(), [](auto v) { return v == 0; }));
    EXPECT_FALSE(ParseStreamBlockHeader(h).isDownloadData());
    std::array<std::uint8_t, kFlowAckSize> ack{};
    BuildFlowAck(false, ack);
    EXPECT_EQ(std::memcmp(ack.data(), "velk", 4), 0);
    EXPECT_EQ(ParseFlowAck(ack), 0);
    BuildFlowAck(true, ack);
    EXPECT_EQ(ParseFlowAck(ack), 1);
}

TEST(FolderTable, TreeHangsFoldersUnderTheirParentsInIdOrder) {
    std::array<std::optional<FolderRecord>, 256> table;
    table[3] = FolderRecord{3, 0, "Films"};
    table[1] = FolderRecord{1, 0, "Series"};
    table[7] = FolderRecord{7, 1, "Crime"};
    table[9] = FolderRecord{9, 9, "Self"};  // under itself: left out
    table[10] = FolderRecord{10, 11, "A"};  // a loop away from the root: left out
    table[11] = FolderRecord{11, 10, "B"};
    FolderNode root = BuildFolderTree(table);
    EXPECT_EQ(root.name, "Root");
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].name, "Series");
    EXPECT_EQ(root.children[1].name, "Films");
    ASSERT_EQ(root.children[0].children.size(), 1u);
    EXPECT_EQ(root.children[0].children[0].id, 7);
    Bytes r(kFolderRecordSize);
    BuildFolderRecord({-1, 0, ""}, r);
    EXPECT_TRUE(ParseFolderRecord(r)->endsList());
    BuildFolderRecord({256, 0, ""}, r);
    EXPECT_TRUE(ParseFolderRecord(r)->endsList());
}

// ----- Recording files -----

namespace {

std::filesystem::path WriteRecording(const fixtures::TempDir& dir, const std::string& name,
                                     const std::string& stream, const std::string& title,
                                     const std::string& eventText, const Bytes& thumbnail) {
    TempHeader temp;
    EXPECT_TRUE(temp.create(dir.path()));
    EXPECT_TRUE(temp.writeStart(title));
    EXPECT_TRUE(temp.writeInfo(eventText, thumbnail));
    Bytes m(kMessageSize, 0);
    BuildHeaderBlock({4, 1, 2, 1, 0}, m.data());
    EXPECT_TRUE(temp.appendBlock(StoredHeaderBlock(*ReadHeaderBlockMessage(m), false)));
    temp.close();
    auto path = dir / name;
    LargeFile f;
    EXPECT_TRUE(f.open(path, LargeFile::Mode::CreateReadWrite));
    EXPECT_TRUE(f.write(stream.data(), stream.size()));
    EXPECT_NE(AppendTailHeader(f, temp.path()), 0u);
    return path;
}

void Patch32(const std::filesystem::path& p, std::size_t offsetFromHeader, std::uint32_t v) {
    std::string bytes = fixtures::readFile(p);
    std::uint32_t trailer =
        common::loadLe32(reinterpret_cast<const std::uint8_t*>(bytes.data() + bytes.size() - 4));
    std::size_t at = bytes.size() - trailer + offsetFromHeader;
    common::storeBe32(reinterpret_cast<std::uint8_t*>(bytes.data() + at), v);
    fixtures::writeFile(p, bytes);
}

}  // namespace

TEST(TailHeaderFile, AThousandByteHeaderEndsWithItsLengthPlusFourLittleEndian) {
    fixtures::TempDir dir;
    // 8 + 32 + 4 + L + 4 + 0 + 22 = 1000 when L = 930.
    auto path = WriteRecording(dir, "a.ts", "STREAM", "Title", std::string(930, 'e'), {});
    std::string bytes = fixtures::readFile(path);
    ASSERT_EQ(bytes.size(), 6u + 1000u + 4u);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\xEC\x03\x00\x00", 4));
    EXPECT_EQ(bytes.substr(6, 8), std::string("VELK\0\0\0\x20", 8));
    TailHeaderContents c;
    ASSERT_EQ(ReadTailHeader(path, c), TailStatus::Ok);
    EXPECT_EQ(c.title, "Title");
    EXPECT_EQ(c.eventText, std::string(930, 'e'));
    EXPECT_EQ(ReadTailTitle(path), "Title");
    TailHeaderReader reader;
    ASSERT_EQ(reader.open(path, LargeFile::Mode::ReadShared), TailStatus::Ok);
    EXPECT_EQ(reader.streamLength(), 6);
    std::string text;
    Bytes thumb, payload;
    ASSERT_TRUE(reader.readBody(text, thumb));
    HeaderBlock block;
    EXPECT_EQ(reader.nextBlock(block, payload), 1);
    EXPECT_TRUE(block.isClosing());
    EXPECT_EQ(reader.nextBlock(block, payload), 0);
}

TEST(TailHeaderFile, TheHeaderOfOneDownloadStopsGrowingAt64MiB) {
    fixtures::TempDir dir;
    TempHeader temp;
    ASSERT_TRUE(temp.create(dir.path()));
    ASSERT_TRUE(temp.writeStart("t") && temp.writeInfo("", {}));
    const std::vector<std::uint8_t> block(65536, 0x5A);
    int stored = 0;
    while (stored < 2000 && temp.appendBlock(block))
        ++stored;
    EXPECT_EQ(stored, 1023);  // 48 bytes of start and info, then whole blocks up to 64 MiB
    EXPECT_LE(temp.length(), 64 << 20);
    EXPECT_EQ(std::filesystem::file_size(temp.path()), static_cast<std::uintmax_t>(temp.length()));
}

TEST(TailHeaderFile, ShortFilesAndBadTrailersAreNotRecordings) {
    fixtures::TempDir dir;
    fixtures::writeFile(dir / "three.ts", "abc");
    EXPECT_FALSE(ReadTailTitle(dir / "three.ts"));
    TailHeaderContents c;
    EXPECT_EQ(ReadTailHeader(dir / "three.ts", c), TailStatus::TooShort);
    fixtures::writeFile(dir / "zero.ts", std::string(100, 'x') + std::string(4, '\0'));
    EXPECT_FALSE(ReadTailTitle(dir / "zero.ts"));
    EXPECT_EQ(ReadTailHeader(dir / "zero.ts", c), TailStatus::NotRecording);
    // A trailer that points at the whole file (N = length - 4) is outside the allowed range.
    std::string self(60, 'x');
    self += std::string("\x3c\x00\x00\x00", 4);
    fixtures::writeFile(dir / "self.ts", self);
    EXPECT_EQ(ReadTailHeader(dir / "self.ts", c), TailStatus::NotRecording);
    EXPECT_EQ(ReadTailHeader(dir / "missing.ts", c), TailStatus::CannotOpen);
}

TEST(TailHeaderFile, LengthFieldsNeverReachPastTheHeader) {
    fixtures::TempDir dir;
    Bytes thumb(376, 0x47);
    TailHeaderContents c;
    auto path = WriteRecording(dir, "t.ts", std::string(5000, 's'), "T", "events", thumb);
    ASSERT_EQ(ReadTailHeader(path, c), TailStatus::Ok);
    EXPECT_EQ(c.thumbnail, thumb);

    Patch32(path, 4, 65);  // title length over the 64-byte title buffer
    EXPECT_EQ(ReadTailHeader(path, c), TailStatus::NotRecording);
    EXPECT_FALSE(ReadTailTitle(path));

    path = WriteRecording(dir, "e.ts", std::string(5000, 's'), "T", "events", thumb);
    Patch32(path, 40, 0x7FFFFFFF);  // event text far beyond the file
    EXPECT_EQ(ReadTailHeader(path, c), TailStatus::NotRecording);

    path = WriteRecording(dir, "s.ts", std::string(5000, 's'), "T", "events", thumb);
    Patch32(path, 50, 377 + 30);  // thumbnail a little beyond the header (into the trailer)
    EXPECT_EQ(ReadTailHeader(path, c), TailStatus::NotRecording);

    path = WriteRecording(dir, "b.ts", std::string(5000, 's'), "T", "events", thumb);
    Patch32(path, 54 + 376 + 8, 500);  // a header block payload beyond the header
    TailHeaderReader reader;
    ASSERT_EQ(reader.open(path, LargeFile::Mode::ReadShared), TailStatus::Ok);
    std::string text;
    Bytes t, payload;
    ASSERT_TRUE(reader.readBody(text, t));
    HeaderBlock block;
    EXPECT_EQ(reader.nextBlock(block, payload), -1);
}

TEST(TailHeaderFile, LongTitlesAreCutToThirtyTwoBytes) {
    fixtures::TempDir dir;
    auto path = WriteRecording(dir, "l.ts", "0123456789", std::string(40, 'T'), "", {});
    EXPECT_EQ(ReadTailTitle(path), std::string(32, 'T'));
}
