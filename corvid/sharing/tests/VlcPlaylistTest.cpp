#include "corvid/sharing/VlcPlaylist.h"

#include <gtest/gtest.h>

#include "tests/fixtures/TempDir.h"

namespace corvid::sharing {
namespace {

constexpr const char* kOptions =
    "#EXTVLCOPT:subsdec-encoding=System Default\n"
    "#EXTVLCOPT:subsdec-align=0\n"
    "#EXTVLCOPT:freetype-rel-fontsize=18\n"
    "#EXTVLCOPT:freetype-effect=2\n"
    "#EXTVLCOPT:freetype-color=16777215\n"
    "#EXTVLCOPT:sout-ts-pid-audio=68\n"
    "#EXTVLCOPT:sout-ts-pid-video=69\n"
    "#EXTVLCOPT:sout-ts-pid-spu=70\n"
    "#EXTVLCOPT:sout-ts-pid-pmt=71\n"
    "#EXTVLCOPT:sout-ts-tsid=1\n";

std::string sout(const char* vb, const char* ab) {
    return std::string("#EXTVLCOPT:sout=#transcode{width=720,canvas-height=480,vcodec=mp2v,vb=") +
           vb + ",scale=1,acodec=mpga,ab=" + ab +
           ",channels=2,soverlay,fps=25}:duplicate{dst=std{access=udp,mux=ts,"
           "dst=192.168.1.20:1234}}\n";
}

VlcPlaylist::Options film() {
    VlcPlaylist::Options o;
    o.destination = "192.168.1.20";
    o.media = "/home/ann/Videos/Film.avi";
    return o;
}

TEST(VlcPlaylistTest, UnsetBitratesStreamAt3072And192AndASubtitleIsNamedSecond) {
    auto o = film();
    EXPECT_EQ(VlcPlaylist::Text(o), std::string("#EXTM3U\n") + kOptions + sout("3072", "192") +
                                        "/home/ann/Videos/Film.avi\n");
    o.subtitle = "/home/ann/Videos/Film.smi.tmp";
    o.videoBitrate = 768;
    o.audioBitrate = 128;
    EXPECT_EQ(VlcPlaylist::Text(o),
              std::string("#EXTM3U\n#EXTVLCOPT:sub-file=/home/ann/Videos/Film.smi.tmp\n") +
                  kOptions + sout("768", "128") + "/home/ann/Videos/Film.avi\n");
}

TEST(VlcPlaylistTest, BitratesOutsideTheirRangesFallBack) {
    const std::pair<std::uint32_t, std::uint32_t> video[] = {
        {0, 3072}, {127, 3072}, {128, 128}, {3072, 3072}, {3073, 3072}};
    for (auto [stored, used] : video)
        EXPECT_EQ(VlcPlaylist::VideoBitrate(stored), used) << stored;
    const std::pair<std::uint32_t, std::uint32_t> audio[] = {
        {0, 192}, {31, 192}, {32, 32}, {512, 512}, {513, 192}};
    for (auto [stored, used] : audio)
        EXPECT_EQ(VlcPlaylist::AudioBitrate(stored), used) << stored;
}

TEST(VlcPlaylistTest, FontIsLookedUpInTheFontsFolderAndNoneWritesNoLine) {
    fixtures::TempDir fonts;
    std::filesystem::create_directories(fonts / "truetype/dejavu");
    fixtures::writeFile(fonts / "truetype/dejavu/DejaVuSans.ttf", "font");
    EXPECT_EQ(VlcPlaylist::FontPath("DejaVuSans.ttf", fonts.path()),
              fonts / "truetype/dejavu/DejaVuSans.ttf");
    EXPECT_TRUE(VlcPlaylist::FontPath("none", fonts.path()).empty());
    auto o = film();
    o.font = fonts / "truetype/dejavu/DejaVuSans.ttf";
    EXPECT_NE(VlcPlaylist::Text(o).find("#EXTVLCOPT:freetype-font=" + o.font.string() +
                                        "\n#EXTVLCOPT:subsdec-align=0\n"),
              std::string::npos);
}

TEST(VlcPlaylistTest, CommandLineCarriesTheStreamOutputAndPids) {
    auto o = film();
    o.subtitle = "/s.smi";
    const auto args = VlcPlaylist::CommandLineOptions(o);
    for (const std::string& wanted :
         {"--sout=" + VlcPlaylist::StreamOutput(o), std::string("--sout-ts-pid-audio=68"),
          std::string("--sout-ts-pid-video=69"), std::string("--sub-file=/s.smi")})
        EXPECT_NE(std::find(args.begin(), args.end(), wanted), args.end()) << wanted;
}

TEST(VlcPlaylistTest, UnwritablePlaylistIsReported) {
    std::string error;
    EXPECT_FALSE(VlcPlaylist::Write("/nonexistent/playlist.m3u", film(), &error));
    EXPECT_EQ(error, "Can not open playlist file");
    fixtures::TempDir dir;
    ASSERT_TRUE(VlcPlaylist::Write(dir / "playlist.m3u", film()));
    EXPECT_EQ(fixtures::readFile(dir / "playlist.m3u"), VlcPlaylist::Text(film()));
}

}  // namespace
}  // namespace corvid::sharing
