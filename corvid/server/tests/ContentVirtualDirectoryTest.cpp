// The virtual directory's callbacks, called the way the web server calls them.

#include <gtest/gtest.h>
#include <unistd.h>

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

TEST_F(ContentVirtualDirectoryTest, GetInfoReportsTheFileAsItIsNowWithAFullMimeType) {
    WebFileInfo info;
    ASSERT_EQ(vdir_.getInfo(url("a").c_str(), info), 0);
    EXPECT_EQ(info.length, 1000);
    EXPECT_EQ(info.contentType, "audio/mpeg");
    EXPECT_FALSE(info.isDirectory);
    EXPECT_GT(info.lastModified, 0);
    fixtures::writeFile(dir_ / "a.mp3", std::string(1500, 'a'));
    ASSERT_EQ(vdir_.getInfo(url("a").c_str(), info), 0);
    EXPECT_EQ(info.length, 1500);
    std::filesystem::remove(dir_ / "a.mp3");
    EXPECT_EQ(vdir_.getInfo(url("a").c_str(), info), -1);
    EXPECT_EQ(vdir_.open(url("a").c_str(), false), nullptr);
}

TEST_F(ContentVirtualDirectoryTest, RefusesWritesPathsOutsideContentIndexPagesAndUnknownIds) {
    WebFileInfo info;
    EXPECT_EQ(vdir_.getInfo("/etc/passwd", info), -1);
    EXPECT_EQ(vdir_.getInfo((url("a") + "/index.html").c_str(), info), -1);
    EXPECT_EQ(vdir_.getInfo("/content/audio/0000000000000099/x.mp3", info), -1);
    for (const char* path : {"/content/audio/0000000000000099/x.mp3", "/content/xyz",
                             "/elsewhere/audio/1/x", "/content/audio/0000000000000001/"})
        EXPECT_EQ(vdir_.open(path, false), nullptr) << path;
    EXPECT_EQ(vdir_.open(url("b").c_str(), true), nullptr);
    EXPECT_EQ(fixtures::readFile(dir_ / "b.mp3"), std::string(2000, 'b'));
    void* handle = vdir_.open(url("b").c_str(), false);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(vdir_.write(handle, "x", 1), -1);
    EXPECT_EQ(vdir_.close(handle), 0);
    ContentVirtualDirectory empty;
    EXPECT_EQ(empty.getInfo(url("a").c_str(), info), 0);  // no tree: nothing to say
    EXPECT_EQ(empty.open(url("a").c_str(), false), nullptr);
}

}  // namespace
}  // namespace corvid::server
