#include "velkport/link/FtpReplyReader.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(FtpReplyReader, ReadsOneLineRepliesWithEitherLineEnd) {
    FtpReplyReader reader(Feed("220 ready\r\n331 need pass\n"));
    std::string last;
    int cls = 0;
    ASSERT_TRUE(reader.ReadReply(last, cls));
    EXPECT_EQ(last, "220 ready");
    EXPECT_EQ(cls, 2);
    ASSERT_TRUE(reader.ReadReply(last, cls));
    EXPECT_EQ(last, "331 need pass");
    EXPECT_EQ(cls, 3);
}

TEST(FtpReplyReader, ReadsAMultiLineReplyAsOneUpToTheLineWithTheSameNumberAndABlank) {
    // Lines in between may look like other replies; only "220 " ends this one.
    FtpReplyReader reader(
        Feed("220-Welcome\r\n230 not the end\r\n\r\n220-still\r\n 220 indented\r\n"
             "220 last\r\n200 next\r\n",
             3));
    std::string last;
    int cls = 0;
    ASSERT_TRUE(reader.ReadReply(last, cls));
    EXPECT_EQ(last, "220 last");
    EXPECT_EQ(cls, 2);
    ASSERT_TRUE(reader.ReadReply(last, cls));
    EXPECT_EQ(last, "200 next");
}

TEST(FtpReplyReader, KeepsTheLastLineReadWhenThePeerClosesInsideAReply) {
    FtpReplyReader reader(Feed("220-Welcome\r\n530 half"));
    std::string last;
    int cls = 0;
    EXPECT_FALSE(reader.ReadReply(last, cls));
    EXPECT_EQ(last, "530 half");
    EXPECT_EQ(cls, 2);  // the unfinished line does not count
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

TEST(FtpReplyReader, FailsOnASourceError) {
    FtpReplyReader reader([](char*, std::size_t) -> long { return -1; });
    std::string last = "x";
    int cls = 7;
    EXPECT_FALSE(reader.ReadReply(last, cls));
    EXPECT_EQ(last, "");
    EXPECT_EQ(cls, 7);
}

}  // namespace
}  // namespace velkport::link
