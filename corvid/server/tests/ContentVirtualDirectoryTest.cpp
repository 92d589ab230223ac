// The virtual directory's callbacks, called the way the web server calls them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "corvid/server/ContentUrl.h"
#include "corvid/server/ContentVirtualDirectory.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server {
namespace {

TEST(ContentUrl, TakesTheSecondSegmentAfterContentAsTheId) {
    std::string id;
    EXPECT_EQ(ParseContentUrl("/content/video/0000000000000003/Film.ts", id), 0);
    EXPECT_EQ(id, "0000000000000003");
    EXPECT_EQ(ParseContentUrl("content/audio/42/", id), 0);
    EXPECT_EQ(id, "42");
    EXPECT_EQ(ParseContentUrl("/content/xyz", id), 0);
    EXPECT_EQ(id, "");
    EXPECT_EQ(ParseContentUrl("/content/audio/12", id), 0);
    EXPECT_EQ(id, "");
    EXPECT_EQ(ParseContentUrl("/contents/audio/1/x", id), -1);
    EXPECT_EQ(ParseContentUrl("/content", id), -1);
    EXPECT_EQ(ParseContentUrl("/index.html", id), -1);
    EXPECT_EQ(ParseContentUrl("", id), -1);
    EXPECT_EQ(ParseContentUrl("/content/a/" + std::string(200, '1') + "/x", id), 0);
    EXPECT_EQ(id, "");  // too long to name an object
}

class ContentVirtualDirectoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fixtures::writeFile(dir_ / "a.mp3", std::string(1000, 'a'));
        fixtures::writeFile(dir_ / "b.mp3", std::string(2000, 'b'));
        auto tree = std::make_shared<ShareTree>("http://127.0.0.1:1/content");
        tree->Init();
        tree->AddShare(dir_.path().string(), "music");
        tree->Start();
        for (const auto& o : tree->objects()) {
            if (!o->IsContainer())
                ids_[o->title] = o->id;
        }
        vdir_.SetTree(tree);
    }

    std::string url(const std::string& title) {
        return "/content/audio/" + ids_[title] + "/" + title + ".mp3";
    }

    fixtures::TempDir dir_;
    std::map<std::string, std::string> ids_;
    ContentVirtualDirectory vdir_;
};

TEST_F(ContentVirtualDirectoryTest, GetInfoReportsTheFileAndAFullMimeType) {
    WebFileInfo info;
    ASSERT_EQ(vdir_.getInfo(url("a").c_str(), info), 0);
    EXPECT_EQ(info.length, 1000);
    EXPECT_EQ(info.contentType, "audio/mpeg");
    EXPECT_FALSE(info.isDirectory);
    EXPECT_TRUE(info.isReadable);
    EXPECT_GT(info.lastModified, 0);
    // The second answer for the same id comes from the cache, even with the file gone.
    std::filesystem::remove(dir_ / "a.mp3");
    WebFileInfo again;
    ASSERT_EQ(vdir_.getInfo(url("a").c_str(), again), 0);
    EXPECT_EQ(again.length, 1000);
}

TEST_F(ContentVirtualDirectoryTest, RefusesPathsOutsideContentIndexPagesAndUnknownIds) {
    WebFileInfo info;
    EXPECT_EQ(vdir_.getInfo("/etc/passwd", info), -1);
    EXPECT_EQ(vdir_.getInfo((url("a") + "/index.html").c_str(), info), -1);
    EXPECT_EQ(vdir_.getInfo("/content/audio/0000000000000099/x.mp3", info), -1);
    EXPECT_EQ(vdir_.open("/content/audio/0000000000000099/x.mp3", false), nullptr);
    EXPECT_EQ(vdir_.open("/content/xyz", false), nullptr);
    EXPECT_EQ(vdir_.open("/elsewhere/audio/1/x", false), nullptr);
    ContentVirtualDirectory empty;
    EXPECT_EQ(empty.getInfo(url("a").c_str(), info), 0);  // no tree: nothing to say
    EXPECT_EQ(empty.open(url("a").c_str(), false), nullptr);
}

// Many threads asking for two different files at once: each answer must be the whole entry of
// its own id, never the length of one file with the id of the other.
TEST_F(ContentVirtualDirectoryTest, ConcurrentRequestsNeverSeeATornCacheEntry) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            const std::string mine = url(t % 2 == 0 ? "a" : "b");
            const off_t expected = t % 2 == 0 ? 1000 : 2000;
            for (int i = 0; i < 3000; ++i) {
                WebFileInfo info;
                if (vdir_.getInfo(mine.c_str(), info) != 0 || info.length != expected ||
                    info.contentType != "audio/mpeg")
                    ++wrong;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace corvid::server
