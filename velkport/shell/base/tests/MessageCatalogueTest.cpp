#include <gtest/gtest.h>

#include "velkport/shell/base/MessageCatalogue.h"

using velkport::shell::MessageCatalogue;

TEST(MessageCatalogue, AnUnknownLanguageSelectsEnglishWithItsEscapesAndNoTextOutsideTheTable) {
    auto& c = MessageCatalogue::instance();
    c.SetLanguage(7);
    EXPECT_EQ(c.GetLanguage(), velkport::shell::kEnglish);
    EXPECT_EQ(c.GetMessage(211), "Socket init failed");
    EXPECT_EQ(c.GetMessage(290), "");
    EXPECT_EQ(c.GetMessage(-1), "");
    EXPECT_EQ(c.GetMessage(217), "\r\n\r\n '%s' is running");
}

TEST(MessageCatalogue, ComposingJoinsAndCutsTo127Characters) {
    auto& c = MessageCatalogue::instance();
    c.SetLanguage(velkport::shell::kEnglish);
    EXPECT_EQ(c.ComposeTwoMessages(235, 214), c.GetMessage(235) + "\n" + c.GetMessage(214));
    EXPECT_EQ(c.ComposeMessage("<", 1, ">"), "<Open>");
    EXPECT_EQ(c.ComposeMessageSuffix(1, "!"), "Open!");
    std::string longSuffix(300, 'x');
    EXPECT_EQ(c.ComposeMessageSuffix(1, longSuffix).size(), 127u);
}

TEST(MessageCatalogue, TableParserRefusesBrokenTables) {
    std::vector<std::string> out;
    std::string error;
    EXPECT_FALSE(MessageCatalogue::ParseTable("0: \"a\"\n", out, &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_FALSE(MessageCatalogue::ParseTable("0: \"a\"\n0: \"b\"\n", out, &error));
    EXPECT_FALSE(MessageCatalogue::ParseTable("290: \"a\"\n", out, &error));
    EXPECT_FALSE(MessageCatalogue::ParseTable("x: \"a\"\n", out, &error));
    EXPECT_FALSE(MessageCatalogue::ParseTable("1: a\n", out, &error));
}
