#include "velkport/link/FtpReplyReader.h"

#include <utility>

namespace velkport::link {

FtpReplyReader::FtpReplyReader(Source source) : source_(std::move(source)) {}

bool FtpReplyReader::Fill() {
    if (begin_ == end_)
        begin_ = end_ = 0;
    if (end_ == kBufferSize) {
        // Move what is left to the front to make room.
        std::size_t n = end_ - begin_;
        for (std::size_t i = 0; i < n; ++i)
            buffer_[i] = buffer_[begin_ + i];
        begin_ = 0;
        end_ = n;
    }
    if (end_ == kBufferSize)
        return false;
    long got = source_ ? source_(buffer_ + end_, kBufferSize - end_) : -1;
    if (got <= 0)
        return false;
    if (static_cast<std::size_t>(got) > kBufferSize - end_)
        got = static_cast<long>(kBufferSize - end_);
    end_ += static_cast<std::size_t>(got);
    return true;
}

bool FtpReplyReader::ReadLine(std::string& line) {
    line.clear();
    if (failed_)
        return false;
    for (;;) {
        while (begin_ < end_) {
            char c = buffer_[begin_++];
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return true;
            }
            // A full-length line may still carry its '\r'.
            if (line.size() >= kMaxLineLength && !(c == '\r' && line.size() == kMaxLineLength)) {
                failed_ = true;
                return false;
            }
            line.push_back(c);
        }
        if (!Fill()) {
            failed_ = true;
            return false;
        }
    }
}

long FtpReplyReader::LeadingNumber(const std::string& line) {
    long n = 0;
    for (char c : line) {
        if (c < '0' || c > '9')
            break;
        if (n < 100000000)  // a reply code has three digits; longer runs saturate
            n = n * 10 + (c - '0');
    }
    return n;
}

bool FtpReplyReader::ReadReply(std::string& lastReply, int& replyClass) {
    std::string line;
    bool ok = ReadLine(line);
    lastReply = line;
    if (!ok)
        return false;
    if (!line.empty())
        replyClass = line[0] - '0';
    if (line.size() < 4 || line[3] != '-')
        return true;
    const long code = LeadingNumber(line);
    for (int lines = 1; lines < kMaxReplyLines; ++lines) {
        ok = ReadLine(line);
        lastReply = line;
        if (!ok)
            return false;
        if (!line.empty())
            replyClass = line[0] - '0';
        if (line.size() >= 4 && line[3] == ' ' && LeadingNumber(line) == code)
            return true;
    }
    failed_ = true;
    return false;
}

}  // namespace velkport::link
