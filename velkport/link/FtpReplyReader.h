#pragma once
// Reads the FTP server's reply lines from the control connection. A reply is one line, or a
// multi-line reply that opens with "NNN-" and ends with a line "NNN " carrying the same number.
// Lines and replies are bounded, so a peer that streams text without end cannot make the
// reader hang on to it or grow without limit.

#include <cstddef>
#include <functional>
#include <string>

namespace velkport::link {

class FtpReplyReader {
  public:
    // Fills up to `capacity` bytes: returns how many arrived (>0), 0 when the peer closed, or a
    // negative number on an error or time-out.
    using Source = std::function<long(char* into, std::size_t capacity)>;

    static constexpr std::size_t kBufferSize = 4096;     // bytes asked of the source at a time
    static constexpr std::size_t kMaxLineLength = 4096;  // longer lines fail the read
    static constexpr int kMaxReplyLines = 1000;          // longer multi-line replies fail

    explicit FtpReplyReader(Source source);

    // One line without its end ("\n", with a "\r" before it dropped). False when the peer
    // closed or failed before the line ended, or the line is longer than kMaxLineLength. After
    // a failure the stream is out of step, so every later read fails too.
    bool ReadLine(std::string& line);

    // One whole reply. Every line read goes into lastReply, and a non-empty line's first
    // character minus '0' into replyClass, so both describe the last line read even when the
    // reply fails part-way.
    bool ReadReply(std::string& lastReply, int& replyClass);

    bool Failed() const { return failed_; }

    // Bytes already received but not yet handed out as lines.
    std::size_t Buffered() const { return end_ - begin_; }

    // The number a reply line starts with (leading digits; 0 when there are none).
    static long LeadingNumber(const std::string& line);

  private:
    bool Fill();

    Source source_;
    char buffer_[kBufferSize];
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool failed_ = false;
};

}  // namespace velkport::link
