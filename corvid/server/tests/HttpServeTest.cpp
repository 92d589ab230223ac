// Files behind the resource URLs, fetched over HTTP from the running server: whole, by Range,
// over 4 GiB, and the refusals.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "corvid/server/tests/ServeProcess.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server::testing {
namespace {

constexpr std::uint64_t k4GiB = 4294967296ULL;
constexpr std::uint64_t kBigSize = 5ULL * 1024 * 1024 * 1024;

class HttpServeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto music = dir_ / "music";
        const auto video = dir_ / "video";
        std::filesystem::create_directories(music);
        std::filesystem::create_directories(video);
        song_ = fixtures::randomBytes(100000, 7);
        fixtures::writeFile(music / "Song.mp3", song_);
        // A sparse recording of 5 GiB with a marker past the 4 GiB line.
        const auto big = video / "Big.tts";
        const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kBigSize)), 0);
        ASSERT_EQ(::pwrite(fd, "MARK", 4, static_cast<off_t>(k4GiB + 100)), 4);
        ASSERT_EQ(::pwrite(fd, "TAIL", 4, static_cast<off_t>(kBigSize - 4)), 4);
        ::close(fd);
        server_ = std::make_unique<ServeProcess>(
            std::vector<std::string>{"--address", "127.0.0.1", "--share", "music:" + music.string(),
                                     "--share", "video:" + video.string()});
        ASSERT_TRUE(server_->waitReady()) << server_->output();
    }

    HttpResponse get(const std::string& path, const std::string& headers = "",
                     std::size_t maxBody = SIZE_MAX) {
        return httpGet(server_->host(), server_->port(), path, headers, maxBody);
    }

    // Shares: music = 1, Song.mp3 = 2, video = 3, Big.tts = 4.
    const std::string songPath_ = "/content/audio/0000000000000002/Song.mp3";
    const std::string bigPath_ = "/content/video/0000000000000004/Big.ts";
    fixtures::TempDir dir_;
    std::string song_;
    std::unique_ptr<ServeProcess> server_;
};

TEST_F(HttpServeTest, ServesTheWholeFileWithItsFullMimeType) {
    HttpResponse r = get(songPath_);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.headers["content-type"], "audio/mpeg");
    EXPECT_EQ(r.headers["content-length"], "100000");
    EXPECT_TRUE(r.body == song_);
    // Whatever file name follows the id, the id decides.
    EXPECT_TRUE(get("/content/audio/0000000000000002/other%20name.mp3").body == song_);
}

TEST_F(HttpServeTest, AnswersRangeRequests) {
    HttpResponse r = get(songPath_, "Range: bytes=0-\r\n");
    EXPECT_TRUE(r.status == 206 || r.status == 200) << r.status;
    EXPECT_TRUE(r.body == song_);

    r = get(songPath_, "Range: bytes=100-199\r\n");
    EXPECT_EQ(r.status, 206);
    EXPECT_EQ(r.headers["content-range"], "bytes 100-199/100000");
    EXPECT_TRUE(r.body == song_.substr(100, 100));

    r = get(songPath_, "Range: bytes=-500\r\n");
    EXPECT_EQ(r.status, 206);
    EXPECT_TRUE(r.body == song_.substr(song_.size() - 500));
}

TEST_F(HttpServeTest, ServesAFileOver4GiBWhole) {
    HttpResponse r = get(bigPath_, "", 4096);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.headers["content-length"], std::to_string(kBigSize));
    EXPECT_EQ(r.headers["content-type"], "video/mp2t");

    const std::string from = std::to_string(k4GiB + 100);
    r = get(bigPath_, "Range: bytes=" + from + "-" + std::to_string(k4GiB + 103) + "\r\n");
    EXPECT_EQ(r.status, 206);
    EXPECT_EQ(r.body, "MARK");
    EXPECT_EQ(r.headers["content-range"],
              "bytes " + from + "-" + std::to_string(k4GiB + 103) + "/" + std::to_string(kBigSize));

    r = get(bigPath_, "Range: bytes=-4\r\n");
    EXPECT_EQ(r.status, 206);
    EXPECT_EQ(r.body, "TAIL");
}

TEST_F(HttpServeTest, RefusesUnknownIdsIndexPagesAndPathsOutsideContent) {
    EXPECT_EQ(get("/content/audio/0000000000000099/Song.mp3").status, 404);
    EXPECT_EQ(get("/content/xyz").status, 404);
    EXPECT_EQ(get("/content/audio/0000000000000002/index.html").status, 404);
    EXPECT_EQ(get("/index.html").status, 404);
    EXPECT_EQ(get("/content/audio/0000000000000001/").status, 404);  // a folder
    EXPECT_EQ(get("/etc/passwd").status, 404);
    EXPECT_NE(get("/../../../../etc/passwd").status, 200);
    EXPECT_NE(get("/content/../../../../etc/passwd").status, 200);
    // The server still serves after the refusals.
    EXPECT_EQ(get(songPath_).status, 200);
}

}  // namespace
}  // namespace corvid::server::testing
