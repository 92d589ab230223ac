#include "velkport/link/FtpReplyReader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velkport::link {
namespace {

// Hands out the text in pieces of at most `step` bytes, then reports the peer closed.
FtpReplyReader::Source Feed(std::string text, std::size_t step = 4096) {
    auto pos = std::make_shared<std::size_t>(0);
    return [text = std::move(text), pos, step](char* into, std::size_t capacity) -> long {
        std::size_t n = std::min({step, capacity, text.size() - *pos});
        text.copy(into, n, *pos);
        *pos += n;
        return static_cast<long>(n);
    };
}

struct Reply {
    bool ok;
    std::string last;
    int cls;
};
struct ReplyCase {
    const char* name;
    std::optional<std::string> text;  // none: the source fails
    std::size_t step;
    std::vector<Reply> replies;
};

TEST(FtpReplyReader, ReadsRepliesUpToTheirLastLine) {
    const ReplyCase cases[] = {
        {"either line end",
         "220 ready\r\n331 need pass\n",
         4096,
         {{true, "220 ready", 2}, {true, "331 need pass", 3}}},
        // Lines in between may look like other replies; only "220 " ends this one.
        {"multi-line",
         "220-Welcome\r\n230 not the end\r\n\r\n220-still\r\n 220 indented\r\n220 last\r\n200 "
         "next\r\n",
         3,
         {{true, "220 last", 2}, {true, "200 next", 2}}},
        // The last line read is kept; the unfinished line does not count.
        {"peer closes inside a reply", "220-Welcome\r\n530 half", 4096, {{false, "530 half", 2}}},
        {"source error", std::nullopt, 1, {{false, "", 7}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FtpReplyReader reader(c.text ? Feed(*c.text, c.step)
                                     : [](char*, std::size_t) -> long { return -1; });
        for (const auto& expected : c.replies) {
            std::string last = "x";
            int cls = 7;
            EXPECT_EQ(reader.ReadReply(last, cls), expected.ok);
            EXPECT_EQ(last, expected.last);
            EXPECT_EQ(cls, expected.cls);
        }
    }
}

TEST(FtpReplyReader, AcceptsALineOfExactlyItsLimitButRefusesLongerOnesAndStaysFailed) {
    const std::string atLimit(FtpReplyReader::kMaxLineLength, '2');
    const std::string longLine(FtpReplyReader::kMaxLineLength + 1, 'x');
    FtpReplyReader reader(Feed(atLimit + "\r\n200 " + longLine + "\r\n200 ok\r\n"));
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, atLimit);
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_LE(line.size(), FtpReplyReader::kMaxLineLength);
    EXPECT_FALSE(reader.ReadLine(line));  // out of step with the peer: no further replies
    EXPECT_TRUE(reader.Failed());
}

TEST(FtpReplyReader, GivesUpOnAMultiLineReplyThatNeverEnds) {
    // A peer streaming "220-" lines forever: the reader stops after its line limit instead of
    // reading (and keeping) everything.
    long calls = 0;
    FtpReplyReader reader([&calls](char* into, std::size_t capacity) -> long {
        ++calls;
        const std::string piece = "220-more\r\n";
        std::size_t n = std::min(capacity, piece.size());
        piece.copy(into, n);
        return static_cast<long>(n);
    });
    std::string last;
    int cls = 0;
    EXPECT_FALSE(reader.ReadReply(last, cls));
    EXPECT_LE(calls, FtpReplyReader::kMaxReplyLines + 1);
}

TEST(FtpReplyReader, TakesTheReplyNumberFromTheLeadingDigits) {
    EXPECT_EQ(FtpReplyReader::LeadingNumber("226 done"), 226);
    EXPECT_EQ(FtpReplyReader::LeadingNumber("abc"), 0);
    EXPECT_GT(FtpReplyReader::LeadingNumber("99999999999999999999999 x"), 0);  // no overflow
}

}  // namespace
}  // namespace velkport::link
