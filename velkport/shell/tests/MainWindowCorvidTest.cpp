#include <gtest/gtest.h>

#include "tests/fixtures/TempDir.h"
#include "velkport/shell/CorvidLink.h"

using velkport::shell::CorvidLink;

TEST(CorvidLinkTest, NoCorvidListeningMeansStartItInstead) {
    fixtures::TempDir dir;
    EXPECT_FALSE(CorvidLink::SendAddress(1, dir / "corvid.sock"));
    fixtures::writeFile(dir / "stale.sock", "");  // a plain file where the socket should be
    EXPECT_FALSE(CorvidLink::SendAddress(1, dir / "stale.sock"));
}
