#include <gtest/gtest.h>

#include "tests/fixtures/TempDir.h"
#include "velkport/shell/CorvidLink.h"

using velkport::shell::CorvidLink;

// With no socket at all the main window starts Corvid instead; checked there.
TEST(CorvidLinkTest, AStaleFileInPlaceOfTheSocketMeansStartItInstead) {
    fixtures::TempDir dir;
    fixtures::writeFile(dir / "stale.sock", "");  // a plain file where the socket should be
    EXPECT_FALSE(CorvidLink::SendAddress(1, dir / "stale.sock"));
}
