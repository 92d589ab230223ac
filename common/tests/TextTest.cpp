#include <gtest/gtest.h>

#include <unistd.h>

#include "common/RuntimeFolder.h"
#include "common/Text.h"
#include "tests/fixtures/EnvVar.h"
#include "tests/fixtures/TempDir.h"

TEST(TextTest, CaseIsIgnoredForAsciiLettersOnly) {
    EXPECT_TRUE(common::EqualsNoCase("REC0001.TS", "rec0001.ts"));
    EXPECT_FALSE(common::EqualsNoCase("rec", "rec0"));
    EXPECT_FALSE(common::EqualsNoCase("\xc3\x84", "\xc3\xa4"));  // Ä and ä are not folded
    EXPECT_TRUE(common::StartsWithNoCase("HTTP://x", "http://"));
    EXPECT_FALSE(common::StartsWithNoCase("ht", "http"));
    EXPECT_TRUE(common::EndsWithNoCase("News_1.TS.OTS", ".ots"));
    EXPECT_FALSE(common::EndsWithNoCase("s", ".ots"));
}

TEST(TextTest, SizesAreWholeKibRoundedUpInGroupsOfThree) {
    EXPECT_EQ(common::FormatSizeKB(0), "0KB");
    EXPECT_EQ(common::FormatSizeKB(1), "1KB");
    EXPECT_EQ(common::FormatSizeKB(1024ull * 1234567), "1,234,567KB");
    EXPECT_EQ(common::FormatSizeKB(1234567ull * 1024 + 1), "1,234,568KB");
}

TEST(TextTest, FillArgReplacesTheFirstPlaceholderOnly) {
    const struct {
        const char* text;
        const char* want;
    } cases[] = {
        {"Delete %s?", "Delete News?"}, {"%d files", "News files"},
        {"%s and %s", "News and %s"},   {"no placeholder", "no placeholder"},
        {"ends in %", "ends in %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(common::FillArg(c.text, "News"), c.want) << c.text;
}

TEST(TextTest, RuntimePathPrefersTheRuntimeFolder) {
    fixtures::TempDir dir;
    {
        fixtures::EnvVar runtime("XDG_RUNTIME_DIR", dir.path().string());
        EXPECT_EQ(common::RuntimePath("velkport", ".lock"), dir / "velkport.lock");
    }
    fixtures::EnvVar missing("XDG_RUNTIME_DIR", (dir / "missing").string());
    const auto fallback = common::RuntimePath("velkport", ".lock").filename().string();
    EXPECT_EQ(fallback, "velkport-" + std::to_string(getuid()) + ".lock");
}
