// Files behind the resource URLs, fetched with curl from the running server: whole, by Range,
// over 4 GiB, as they are at the moment of the request, never written, never outside a share.

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
        const auto links = dir_ / "links";
        for (const auto& p : {music, video, links, dir_ / "private"})
            std::filesystem::create_directories(p);
        song_ = fixtures::randomBytes(100000, 7);
        fixtures::writeFile(music / "Song.mp3", song_);
        fixtures::writeFile(dir_ / "private" / "secret.mp3", "secret");
        std::filesystem::create_symlink(music / "Song.mp3", links / "in.mp3");
        std::filesystem::create_symlink(dir_ / "private" / "secret.mp3", links / "out.mp3");
        // A sparse recording of 5 GiB with a marker past the 4 GiB line.
        const auto big = video / "Big.tts";
        const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kBigSize)), 0);
        ASSERT_EQ(::pwrite(fd, "MARK", 4, static_cast<off_t>(k4GiB + 100)), 4);
        ASSERT_EQ(::pwrite(fd, "TAIL", 4, static_cast<off_t>(kBigSize - 4)), 4);
        ::close(fd);
        server_ = std::make_unique<ServeProcess>(std::vector<std::string>{
            "--address", "127.0.0.1", "--share", "music:" + music.string(), "--share",
            "video:" + video.string(), "--share", "music:" + links.string()});
        ASSERT_TRUE(server_->waitReady()) << server_->output();
    }

    HttpResponse get(const std::string& path, const std::vector<std::string>& options = {}) {
        std::vector<std::string> args = options;
        args.push_back(server_->url(path));
        return curl(args);
    }

    // Shares: music = 1, Song.mp3 = 2, video = 3, Big.tts = 4, links = 5, in.mp3 = 6.
    const std::string songPath_ = "/content/audio/0000000000000002/Song.mp3";
    const std::string bigPath_ = "/content/video/0000000000000004/Big.ts";
    fixtures::TempDir dir_;
    std::string song_;
    std::unique_ptr<ServeProcess> server_;
};

TEST_F(HttpServeTest, ServesTheWholeFileWithItsFullMimeTypeWhateverNameFollowsTheId) {
    HttpResponse r = get(songPath_);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.headers["content-type"], "audio/mpeg");
    EXPECT_EQ(r.headers["content-length"], "100000");
    EXPECT_TRUE(r.body == song_);
    EXPECT_TRUE(get("/content/audio/0000000000000002/other%20name.mp3").body == song_);
}

TEST_F(HttpServeTest, AnswersRangeRequests) {
    const struct {
        const char* range;
        int status;
        const char* contentRange;
        std::size_t from, length;
    } cases[] = {
        {"0-", 206, "bytes 0-99999/100000", 0, 100000},
        {"100-199", 206, "bytes 100-199/100000", 100, 100},
        {"-500", 206, "bytes 99500-99999/100000", 99500, 500},
        {"99999-200000", 206, "bytes 99999-99999/100000", 99999, 1},
        {"100001-", 416, "", 0, 0},
        {"200000-300000", 416, "", 0, 0},
    };
    for (const auto& c : cases) {
        HttpResponse r = get(songPath_, {"-H", std::string("Range: bytes=") + c.range});
        EXPECT_EQ(r.status, c.status) << c.range;
        if (c.status != 206)
            continue;
        EXPECT_EQ(r.headers["content-range"], c.contentRange) << c.range;
        EXPECT_TRUE(r.body == song_.substr(c.from, c.length)) << c.range;
    }
}

TEST_F(HttpServeTest, ServesAFileOver4GiBWhole) {
    HttpResponse r = get(bigPath_, {"-I"});
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.headers["content-length"], std::to_string(kBigSize));
    EXPECT_EQ(r.headers["content-type"], "video/mp2t");
    const std::string from = std::to_string(k4GiB + 100);
    const std::string to = std::to_string(k4GiB + 103);
    r = get(bigPath_, {"-H", "Range: bytes=" + from + "-" + to});
    EXPECT_EQ(r.status, 206);
    EXPECT_EQ(r.body, "MARK");
    EXPECT_EQ(r.headers["content-range"],
              "bytes " + from + "-" + to + "/" + std::to_string(kBigSize));
    EXPECT_EQ(get(bigPath_, {"-H", "Range: bytes=-4"}).body, "TAIL");
}

TEST_F(HttpServeTest, RefusesUnknownIdsIndexPagesFoldersAndPathsOutsideContent) {
    for (const char* path : {"/content/audio/0000000000000099/Song.mp3", "/content/xyz",
                             "/content/audio/0000000000000002/index.html", "/index.html",
                             "/content/audio/0000000000000001/", "/etc/passwd"})
        EXPECT_EQ(get(path).status, 404) << path;
    for (const char* path : {"/../../../../etc/passwd", "/content/../../../../etc/passwd"})
        EXPECT_NE(get(path, {"--path-as-is"}).status, 200) << path;
    EXPECT_EQ(get(songPath_).status, 200);  // still serving after the refusals
}

TEST_F(HttpServeTest, AWriteAttemptLeavesTheFileAsItWas) {
    for (const char* method : {"POST", "PUT"}) {
        EXPECT_NE(get(songPath_, {"-X", method, "--data-binary", "overwritten"}).status, 200)
            << method;
    }
    EXPECT_TRUE(fixtures::readFile(dir_ / "music" / "Song.mp3") == song_);
    EXPECT_TRUE(get(songPath_).body == song_);
}

TEST_F(HttpServeTest, EachRequestSeesTheFileAsItIsNow) {
    const auto song = dir_ / "music" / "Song.mp3";
    for (std::size_t size : {150000u, 10u}) {
        const std::string bytes = fixtures::randomBytes(size, static_cast<int>(size));
        fixtures::writeFile(song, bytes);
        HttpResponse r = get(songPath_);
        EXPECT_EQ(r.status, 200) << size;
        EXPECT_EQ(r.headers["content-length"], std::to_string(size));
        EXPECT_TRUE(r.body == bytes) << size;
    }
    std::filesystem::remove(song);
    EXPECT_EQ(get(songPath_).status, 404);
}

TEST_F(HttpServeTest, LinksAreListedAndServedOnlyWhenTheyLeadInsideAShare) {
    const std::string list = xmlUnescape(elementText(
        soapAction(*server_, "ContentDirectory", "Browse", browseArgs("0000000000000005")).body,
        "Result"));
    EXPECT_NE(list.find("<dc:title>in</dc:title>"), std::string::npos) << list;
    EXPECT_EQ(list.find("<dc:title>out</dc:title>"), std::string::npos) << list;
    const std::string in = "/content/audio/0000000000000006/in.mp3";
    EXPECT_TRUE(get(in).body == song_);
    // A link swapped in after the scan leads nowhere either.
    std::filesystem::remove(dir_ / "links" / "in.mp3");
    std::filesystem::create_symlink(dir_ / "private" / "secret.mp3", dir_ / "links" / "in.mp3");
    EXPECT_EQ(get(in).status, 404);
}

}  // namespace
}  // namespace corvid::server::testing
