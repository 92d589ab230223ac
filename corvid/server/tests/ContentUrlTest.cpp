// Resource URL paths back to object ids.

#include <gtest/gtest.h>

#include "corvid/server/ContentUrl.h"

namespace corvid::server {
namespace {

TEST(ContentUrl, TakesTheSecondSegmentAfterContentAsTheId) {
    std::string id;
    EXPECT_EQ(ParseContentUrl("/content/video/0000000000000003/Film.ts", id), 0);
    EXPECT_EQ(id, "0000000000000003");
    EXPECT_EQ(ParseContentUrl("content/audio/42/", id), 0);
    EXPECT_EQ(id, "42");
    EXPECT_EQ(ParseContentUrl("/content/audio/12", id), 0);
    EXPECT_EQ(id, "");
    EXPECT_EQ(ParseContentUrl("/contents/audio/1/x", id), -1);
    EXPECT_EQ(ParseContentUrl("/content", id), -1);
    EXPECT_EQ(ParseContentUrl("", id), -1);
    EXPECT_EQ(ParseContentUrl("/content/a/" + std::string(200, '1') + "/x", id), 0);
    EXPECT_EQ(id, "");  // too long to name an object
}

}  // namespace
}  // namespace corvid::server
