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

// Refusals over HTTP are tested against the running server; here what HTTP cannot reach.
TEST(ContentVirtualDirectory, NeverOpensForWritingAndWritesNothing) {
    fixtures::TempDir dir;
    fixtures::writeFile(dir / "b.mp3", "bytes");
    auto tree = std::make_shared<ShareTree>("http://127.0.0.1:1/content");
    tree->Init();
    tree->AddShare(dir.path().string(), "music");
    tree->Start();
    const std::string url = "/content/audio/0000000000000002/b.mp3";
    ContentVirtualDirectory empty;
    WebFileInfo info;
    EXPECT_EQ(empty.getInfo(url.c_str(), info), 0);  // no tree: nothing to say
    EXPECT_EQ(empty.open(url.c_str(), false), nullptr);
    ContentVirtualDirectory vdir;
    vdir.SetTree(tree);
    EXPECT_EQ(vdir.open(url.c_str(), true), nullptr);
    void* handle = vdir.open(url.c_str(), false);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(vdir.write(handle, "x", 1), -1);
    EXPECT_EQ(vdir.close(handle), 0);
    EXPECT_EQ(fixtures::readFile(dir / "b.mp3"), "bytes");
}

}  // namespace
}  // namespace corvid::server
