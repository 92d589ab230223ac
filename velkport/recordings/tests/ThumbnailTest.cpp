// Thumbnails decoded from transport streams that ffmpeg makes for the test.

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>

#include "common/ByteOrder.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/recordings/PngWriter.h"
#include "velkport/recordings/ThumbnailMaker.h"
#include "velkport/recordings/tests/TestMedia.h"

using namespace velkport::recordings;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::span<const std::uint8_t> AsBytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// One stream per test run, shared by the cases.
class ThumbnailStreams : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        fixtures::TempDir dir;
        ASSERT_TRUE(fixtures::MakeTransportStream(
            dir / "blue.ts", "color=c=0x2060C0:size=720x576:rate=25", 1, true));
        ASSERT_TRUE(fixtures::MakeTransportStream(dir / "small.ts", "testsrc=size=352x288:rate=25",
                                                  1, false));
        blue_ = fixtures::readFile(dir / "blue.ts");
        small_ = fixtures::readFile(dir / "small.ts");
    }
    static inline std::string blue_;
    static inline std::string small_;
};

void ExpectColourNear(const Bytes& ppm, std::size_t x, std::size_t y, int r, int g, int b) {
    const std::uint8_t* p = ppm.data() + ThumbnailMaker::kPpmHeaderSize + (y * 180 + x) * 3;
    EXPECT_NEAR(p[0], r, 16) << "red at " << x << "," << y;
    EXPECT_NEAR(p[1], g, 16) << "green at " << x << "," << y;
    EXPECT_NEAR(p[2], b, 16) << "blue at " << x << "," << y;
}

std::array<std::uint8_t, 188> Packet(std::uint8_t b3, std::uint8_t b4 = 0) {
    std::array<std::uint8_t, 188> p{};
    p[0] = 0x47;
    p[3] = b3;
    p[4] = b4;
    return p;
}

}  // namespace

TEST_F(ThumbnailStreams, TheFirstVideoPacketsGiveAPictureInRgbOrderUnlessKnownScrambled) {
    std::string video = fixtures::VideoPackets(blue_, 65536);
    auto result = ThumbnailMaker::MakeThumbnail(AsBytes(video), false);
    ASSERT_TRUE(result.picture);
    EXPECT_EQ(result.sourceWidth, 720);
    EXPECT_EQ(result.sourceHeight, 576);
    ASSERT_EQ(result.ppm.size(), 15u + 77760u);
    EXPECT_EQ(std::string(result.ppm.begin(), result.ppm.begin() + 15), "P6\n180 144\n255\n");
    ExpectColourNear(result.ppm, 90, 72, 0x20, 0x60, 0xC0);
    ExpectColourNear(result.ppm, 179, 143, 0x20, 0x60, 0xC0);
    // The walk stops at the first picture: far fewer packets are fed than there are.
    EXPECT_LT(result.fedPackets, result.packets);
    // Of a recording known to be scrambled, nothing is fed.
    const auto flagged = ThumbnailMaker::MakeThumbnail(AsBytes(video), true);
    EXPECT_FALSE(flagged.picture);
    EXPECT_EQ(flagged.fedBytes, 0u);
}

TEST_F(ThumbnailStreams, AStreamCutRightAfterItsFirstPictureStillGivesIt) {
    // The video packets up to the one where the second picture begins, and nothing more.
    const std::string video = fixtures::VideoPackets(blue_, 1 << 20);
    const std::string pictureStart("\0\0\1\0", 4);
    std::size_t cut = 0;
    for (std::size_t p = 0, seen = 0; p + 188 <= video.size() && !cut; p += 188)
        for (std::size_t at = video.find(pictureStart, p + 4); at < p + 188 && !cut;
             at = video.find(pictureStart, at + 1))
            cut = ++seen == 2 ? p + 188 : 0;
    ASSERT_NE(cut, 0u);
    auto result = ThumbnailMaker::MakeThumbnail(AsBytes(video.substr(0, cut)), false);
    ASSERT_TRUE(result.picture);
    ExpectColourNear(result.ppm, 90, 72, 0x20, 0x60, 0xC0);
}

TEST_F(ThumbnailStreams, AWholeStreamWithAudioAndTablesIsFedWithoutFiltering) {
    auto result = ThumbnailMaker::MakeThumbnail(AsBytes(blue_.substr(0, 200 * 188)), false);
    ASSERT_TRUE(result.picture);
    ExpectColourNear(result.ppm, 10, 10, 0x20, 0x60, 0xC0);
}

TEST_F(ThumbnailStreams, SmallPicturesAreScaledUp) {
    auto result =
        ThumbnailMaker::MakeThumbnail(AsBytes(fixtures::VideoPackets(small_, 65536)), false);
    ASSERT_TRUE(result.picture);
    EXPECT_EQ(result.sourceWidth, 352);
    EXPECT_EQ(result.ppm.size(), 15u + 77760u);
}

TEST(ThumbnailWalk, OnlyWholePacketsCount) {
    Bytes b(187, 0x47);
    EXPECT_EQ(ThumbnailMaker::MakeThumbnail(b, false).packets, 0u);
    Bytes two(376, 0);
    two[0] = two[188] = 0x47;
    EXPECT_EQ(ThumbnailMaker::MakeThumbnail(two, false).packets, 2u);
}

TEST(ThumbnailWalk, HeadersDecideWherePayloadStartsOrWhetherThePacketIsFed) {
    using TM = ThumbnailMaker;
    auto with = [](std::array<std::uint8_t, 188> p, std::size_t at, std::uint8_t v) {
        p[at] = v;
        return p;
    };
    // A packet whose payload begins with a PES header: stream id, flags, header data length.
    auto pes = [](std::uint8_t streamId, std::uint8_t flags, std::uint8_t dataLength) {
        auto p = Packet(0x10);
        const std::uint8_t h[] = {0, 0, 1, streamId, 0, 0, flags, 0x80, dataLength};
        std::memcpy(&p[4], h, sizeof h);
        return p;
    };
    const struct {
        const char* what;
        std::array<std::uint8_t, 188> packet;
        int start;
    } cases[] = {
        {"adaptation field up to the end", Packet(0x30, 183), 188},
        {"adaptation field beyond the packet", Packet(0x30, 184), TM::kSkip},
        {"payload only", Packet(0x10), 4},
        {"transport error bit", with(Packet(0x10), 1, 0x80), TM::kSkip},
        {"no sync byte", with(Packet(0x10), 0, 0x46), TM::kSkip},
        {"video PES header skipped", pes(0xE0, 0x80, 5), 4 + 9 + 5},
        {"video PES scrambling bits 01", pes(0xE0, 0x90, 5), TM::kScrambled},
        {"PES header data beyond the packet", pes(0xE0, 0x80, 200), TM::kSkip},
        {"audio PES fed from its start", pes(0xC0, 0x80, 5), 4},
        {"transport scrambling bits", Packet(0x90), TM::kScrambled},
        // A PES start that would be read past the end of the packet is not looked at.
        {"00 00 01 in the last bytes", with(Packet(0x30, 180), 187, 1), 185},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TM::PacketDataStart(c.packet), c.start) << c.what;
    Bytes both;
    for (const auto& c : {cases[0], cases[1]})
        both.insert(both.end(), c.packet.begin(), c.packet.end());
    EXPECT_EQ(TM::MakeThumbnail(both, false).fedBytes, 0u);
}

TEST(ThumbnailScaling, NearestNeighbourMapsCornersOfA720By576Picture) {
    const int w = 720, h = 576;
    Bytes src(static_cast<std::size_t>(w * h * 3));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* s = &src[static_cast<std::size_t>((y * w + x) * 3)];
            s[0] = static_cast<std::uint8_t>(x >> 8);
            s[1] = static_cast<std::uint8_t>(x & 0xFF);
            s[2] = static_cast<std::uint8_t>(y & 0xFF);
        }
    Bytes out = ThumbnailMaker::ScalePicture(src.data(), w, h);
    ASSERT_EQ(out.size(), 77760u);
    auto sourceOf = [&](int c, int r) {
        const std::uint8_t* p = &out[static_cast<std::size_t>((r * 180 + c) * 3)];
        return std::pair<int, int>((p[0] << 8) | p[1], p[2]);
    };
    EXPECT_EQ(sourceOf(0, 0), std::make_pair(0, 0));
    EXPECT_EQ(sourceOf(179, 143), std::make_pair(716, 572 & 0xFF));
    EXPECT_EQ(sourceOf(1, 1), std::make_pair(4, 4));
}

TEST(PngOutput, RowsAreStoredUnfilteredAfterTheHeader) {
    Bytes rgb(2 * 2 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>(i * 20);
    Bytes png = PngWriter::Encode(rgb, 2, 2);
    ASSERT_GT(png.size(), 8u + 25u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(std::memcmp(png.data() + 12, "IHDR", 4), 0);
    EXPECT_EQ(common::loadBe32(png.data() + 16), 2u);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 2);
    EXPECT_EQ(common::loadBe32(png.data() + 29), crc32(0, png.data() + 12, 17));
    std::uint32_t idatLength = common::loadBe32(png.data() + 33);
    ASSERT_EQ(std::memcmp(png.data() + 37, "IDAT", 4), 0);
    Bytes raw(14);
    uLongf rawLength = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawLength, png.data() + 41, idatLength), Z_OK);
    EXPECT_EQ(rawLength, 14u);
    EXPECT_EQ(raw[0], 0);
    EXPECT_TRUE(std::equal(rgb.begin(), rgb.begin() + 6, raw.begin() + 1));
    EXPECT_TRUE(PngWriter::Encode(rgb, 3, 2).empty());
}
