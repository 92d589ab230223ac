// velkctl mp3, jpeg and game, run as a program against the emulated receiver.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/velkctl/tests/VelkctlRunner.h"
#include "velkport/media/JpegPreparer.h"
#include "velkport/media/tests/TestPictures.h"

namespace {

namespace fs = std::filesystem;
using fixtures::readFile;
using fixtures::writeFile;
using velkctl::testing::Outcome;

using MediaCommand = velkctl::testing::VelkctlOnSim;

}  // namespace

TEST_F(MediaCommand, Mp3FolderTreeRoundTripAndTabSeparatedListing) {
    fs::create_directories(local_ / "Album/Disc 2");
    writeFile(local_ / "Album/one.mp3", fixtures::randomBytes(160000));
    writeFile(local_ / "Album/Disc 2/two.mp3", fixtures::randomBytes(65532, 2));
    writeFile(local_ / "loose.mp3", "abc");
    Outcome o = Run({"mp3", "put", (local_ / "Album").string(), (local_ / "loose.mp3").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");  // no progress bar without a terminal
    o = Run({"mp3", "ls", "Album", "--tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "d\tDisc 2\t0\t0\nf\tone.mp3\t160000\t10\n");

    fs::create_directories(local_ / "back");
    o = Run({"mp3", "get", "Album", "loose.mp3", "--to", (local_ / "back").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(readFile(local_ / "back/Album/one.mp3"), readFile(local_ / "Album/one.mp3"));
    EXPECT_EQ(readFile(local_ / "back/loose.mp3"), "abc");

    ASSERT_EQ(Run({"mp3", "mkdir", "Album/Live"}).status, 0);
    o = Run({"mp3", "mv", "Album/one.mp3", "first"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "first.mp3\n");
    o = Run({"mp3", "mv", "Album/first.mp3", "first.wav"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Can not change extension\n");
    ASSERT_EQ(Run({"mp3", "rm", "Album/Disc 2", "loose.mp3"}).status, 0);
    o = Run({"mp3", "ls", "--tsv"});
    EXPECT_EQ(o.out, "d\tAlbum\t0\t0\n");
    EXPECT_EQ(Run({"mp3", "ls", "Album", "--tsv"}).out,
              "d\tLive\t0\t0\nf\tfirst.mp3\t160000\t10\n");
    o = Run({"mp3", "df"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.substr(0, o.out.find('\n')), "used 0 MB");
}

TEST_F(MediaCommand, JpegPrepareThumbAndRefusal) {
    writeFile(local_ / "photo.jpg", fixtures::MakeJpeg(640, 480));
    writeFile(local_ / "notes.jpg", "text");
    Outcome o = Run({"jpeg", "prepare", (local_ / "photo.jpg").string(), "--out",
                     (local_ / "copy.jpg").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "prepared\n");
    const std::string copy = readFile(local_ / "copy.jpg");
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(copy.data()), copy.size());
    EXPECT_TRUE(velkport::media::JpegPreparer::IsPrepared(bytes));
    EXPECT_TRUE(fs::is_empty(home_.path()));  // the work files are gone

    o = Run({"jpeg", "put", (local_ / "notes.jpg").string(), (local_ / "photo.jpg").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "'notes.jpg' is not a jpeg file\n");
    EXPECT_EQ(readFile(sim_ / "jpeg/photo.jpg"), copy);
    o = Run({"jpeg", "ls", "--tsv"});
    const std::string row = "f\tphoto.jpg\t" + std::to_string(copy.size()) + "\t2";  // 20YY:...
    EXPECT_EQ(o.out.substr(0, row.size()), row);
    o = Run({"jpeg", "thumb", "photo.jpg", "--out", (local_ / "t.jpg").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    const auto thumb = velkport::media::JpegPreparer::ExifThumbnail(bytes);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(readFile(local_ / "t.jpg"), std::string(thumb->begin(), thumb->end()));
}

TEST_F(MediaCommand, GameInfoAndInstall) {
    std::string image(478, '\0');
    image.replace(0, 6, "VKGame");
    image.replace(10, 5, "Snake");
    image[90] = 0x10;
    image += "package contents";
    writeFile(local_ / "snake.img", image);
    Outcome o = Run({"game", "info", (local_ / "snake.img").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out,
              " GAME NAME : Snake\n GAME VERSION : 00:00:00:00:00:00:00:00\n GAME SIZE : 16\n"
              " GAME GUID : 00-00-00-00-00-00-00-00\n");
    o = Run({"game", "install", (local_ / "snake.img").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(readFile(sim_ / "games/Snake.img"), image);
}
