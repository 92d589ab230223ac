// The byte layouts of the command-channel records, built and read back.
#include <gtest/gtest.h>

#include <vector>

#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/CommandHeader.h"
#include "velkport/link/DataBlock.h"
#include "velkport/link/FolderEntry.h"
#include "velkport/link/ReplyRecord.h"

using namespace velkport::link;
using Bytes = std::vector<std::uint8_t>;

TEST(CommandHeader, PlainHeaderForListFolderIsByteExact) {
    const Bytes expected = {'V',  'E', 'L', 'K', 0, 0, 0, 0, 0, 0, 0, 0x20, 0x00, 0x02, 0x10, 0x00,
                            0x02, 0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0,    0};
    const auto h = CommandHeader::BuildPlain(0x02);
    EXPECT_EQ(Bytes(h.begin(), h.end()), expected);
}

TEST(CommandHeader, ValuedHeaderCarriesValueMostSignificantByteFirst) {
    const auto h = CommandHeader::BuildValued(0x05, 65536);
    EXPECT_EQ(h[16], 0x05);
    EXPECT_EQ((Bytes{h[17], h[18], h[19], h[20]}), (Bytes{0x00, 0x01, 0x00, 0x00}));
    for (std::size_t i = 21; i < 32; ++i)
        EXPECT_EQ(h[i], 0) << i;
    const auto odd = CommandHeader::BuildValued(0xFD, 0x12345678);
    EXPECT_EQ((Bytes{odd[17], odd[18], odd[19], odd[20]}), (Bytes{0x12, 0x34, 0x56, 0x78}));
}

TEST(CommandHeader, ParseReadsCodeAndValueAndRejectsWrongMagicOrShortInput) {
    const auto h = CommandHeader::BuildValued(0x24, 0xA1B2C3D4);
    CommandHeader out;
    ASSERT_TRUE(CommandHeader::Parse(h, out));
    EXPECT_EQ(out.code(), 0x24);
    EXPECT_EQ(out.value(), 0xA1B2C3D4u);

    auto lower = h;
    lower[0] = 'v';  // "vELK" is not a header
    EXPECT_FALSE(CommandHeader::Parse(lower, out));
    EXPECT_FALSE(CommandHeader::Parse(std::span<const std::uint8_t>(h.data(), 31), out));
    EXPECT_EQ(out.code(), 0x24) << "a failed parse leaves the result alone";
}

TEST(ReplyRecord, ReadsLowerCaseMagicAndFieldsAndAllOnesFieldThreeIsBusy) {
    Bytes raw(64, 0);
    raw[0] = 'v', raw[1] = 'e', raw[2] = 'l', raw[3] = 'k';
    raw[8] = 0x00, raw[9] = 0x00, raw[10] = 0x01, raw[11] = 0x02;
    raw[12] = raw[13] = raw[14] = raw[15] = 0xFF;
    raw[40] = 0x99;  // bytes 16-63 are not read
    ReplyRecord r;
    ASSERT_TRUE(ReplyRecord::Parse(raw, r));
    EXPECT_EQ(r.magic(), ReplyRecord::kMagic);
    EXPECT_EQ(r.field2(), 0x0102u);
    EXPECT_EQ(r.field3(), 0xFFFFFFFFu);
    EXPECT_TRUE(r.busy());

    // Only the lower-case magic makes a reply.
    const auto built = ReplyRecord::Build(1, 2, 3);
    ASSERT_TRUE(ReplyRecord::Parse(built, r));
    EXPECT_FALSE(r.busy());
    const auto header = CommandHeader::BuildPlain(0x02);  // "VELK"
    EXPECT_FALSE(ReplyRecord::HasMagic(header));
    EXPECT_FALSE(ReplyRecord::Parse(header, r));
    EXPECT_FALSE(ReplyRecord::Parse(std::span<const std::uint8_t>(built.data(), 15), r));
}

TEST(ArgumentBlock, TextsAreZeroTerminatedAndCutToFit) {
    auto plain = ArgumentBlock::WithText("Rock");
    ASSERT_EQ(plain.size(), 256u);
    EXPECT_EQ(plain.Text(0), "Rock");
    EXPECT_EQ(plain.Byte(4), 0);

    auto flagged = ArgumentBlock::WithFlagAndText(0x11, "song.mp3");
    EXPECT_EQ(flagged.Byte(0), 0x11);
    EXPECT_EQ(flagged.Text(1), "song.mp3");

    const std::string longName(400, 'x');
    auto cut = ArgumentBlock::WithFlagAndText(3, longName);
    EXPECT_EQ(cut.Text(1).size(), 254u);
    EXPECT_EQ(cut.Byte(255), 0) << "the last byte stays a terminator";

    auto large = ArgumentBlock::WithFlagAndText(3, longName, ArgumentBlock::kLargeSize);
    EXPECT_EQ(large.size(), 1024u);
    EXPECT_EQ(large.Text(1), longName);
}

TEST(ArgumentBlock, NumbersAndTextsShareABlockAndParseTakesOnlyBlockSizes) {
    ArgumentBlock b(ArgumentBlock::kLargeSize);
    b.SetU32(0, 0x00000107);
    b.SetText(4, "Films");
    EXPECT_EQ((Bytes{b.data()[0], b.data()[1], b.data()[2], b.data()[3]}), (Bytes{0, 0, 1, 7}));
    EXPECT_EQ(b.U32(0), 0x107u);
    EXPECT_EQ(b.Text(4), "Films");
    b.SetU32(1022, 5);  // does not fit: ignored
    EXPECT_EQ(b.U32(1022), 0u);
    EXPECT_EQ(b.Text(5000), "");

    ArgumentBlock parsed;
    EXPECT_TRUE(ArgumentBlock::Parse(b.bytes(), parsed));
    EXPECT_EQ(parsed.Text(4), "Films");
    EXPECT_FALSE(ArgumentBlock::Parse(Bytes(255), parsed));
    EXPECT_FALSE(ArgumentBlock::Parse(Bytes(512), parsed));
}

TEST(FolderEntry, KindNameSizeAndExtraFieldsSitAtTheirOffsets) {
    // Typed in from the entry's table: kind 0, "a.mp3" from byte 1, size 0x0001E240 at 256,
    // the MP3 area's number 0xCAFEBABE at 260.
    Bytes file(281, 0);
    for (std::size_t i = 0; i < 5; ++i)
        file[1 + i] = static_cast<std::uint8_t>("a.mp3"[i]);
    file[257] = 0x01, file[258] = 0xE2, file[259] = 0x40;
    file[260] = 0xCA, file[261] = 0xFE, file[262] = 0xBA, file[263] = 0xBE;
    FolderEntry back;
    ASSERT_TRUE(FolderEntry::Parse(file, back));
    EXPECT_TRUE(back.isFile());
    EXPECT_EQ(back.name, "a.mp3");
    EXPECT_EQ(back.size, 123456u);
    EXPECT_EQ(back.extraValue, 0xCAFEBABEu);
    auto built = FolderEntry::File("a.mp3", 123456);
    built.extraValue = 0xCAFEBABE;
    const auto builtFile = built.Build();
    EXPECT_EQ(Bytes(builtFile.begin(), builtFile.end()), file);

    // The JPEG area is a text from byte 260; the end marker is 0xFF in byte 0 and nothing else.
    auto pic = FolderEntry::Folder("P");
    pic.extraText = "2024";
    const auto raw = pic.Build();
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 3), (Bytes{0x01, 'P', 0}));
    EXPECT_EQ(Bytes(raw.begin() + 260, raw.begin() + 265), (Bytes{'2', '0', '2', '4', 0}));
    Bytes end(281, 0);
    end[0] = 0xFF;
    const auto builtEnd = FolderEntry::End().Build();
    EXPECT_EQ(Bytes(builtEnd.begin(), builtEnd.end()), end);
    EXPECT_FALSE(FolderEntry::Parse(Bytes(280), back));

    // Any kind but 0 and 0xFF is a folder; an unterminated name stops at the entry's end.
    Bytes unterminated(281, 'n');
    unterminated[0] = 0x07;
    ASSERT_TRUE(FolderEntry::Parse(unterminated, back));
    EXPECT_TRUE(back.isFolder());
    EXPECT_EQ(back.name.size(), 280u);
}

TEST(DataBlock, LengthFieldLeadsThePayload) {
    const Bytes payload = {1, 2, 3, 4, 5};
    auto b = DataBlock::WithPayload(payload);
    ASSERT_EQ(b.bytes().size(), 65536u);
    EXPECT_EQ((Bytes{b.bytes()[0], b.bytes()[1], b.bytes()[2], b.bytes()[3]}), (Bytes{0, 0, 0, 5}));
    EXPECT_FALSE(b.isFull());
    DataBlock back;
    ASSERT_TRUE(DataBlock::Parse(b.bytes(), back));
    EXPECT_EQ(Bytes(back.payload().begin(), back.payload().end()), payload);

    auto full = DataBlock::WithPayload(Bytes(70000, 0xAB));
    EXPECT_EQ(full.payloadLength(), 65532u);
    EXPECT_TRUE(full.isFull());
}

TEST(DataBlock, ParseRejectsLengthsTheBlockCannotHold) {
    Bytes raw(65536, 0);
    raw[0] = 0x00, raw[1] = 0x00, raw[2] = 0xFF, raw[3] = 0xFD;  // 65533
    DataBlock b;
    EXPECT_FALSE(DataBlock::Parse(raw, b));
    raw[3] = 0xFC;  // 65532 fits
    EXPECT_TRUE(DataBlock::Parse(raw, b));
    EXPECT_FALSE(DataBlock::Parse(Bytes{0, 0, 0, 9, 1, 2}, b)) << "length beyond the bytes";
    EXPECT_FALSE(DataBlock::Parse(Bytes{0, 0, 0}, b));
}
