#pragma once
// One HTTP request for a file of the content directory, as it arrives from the network: the
// request line and the one header that matters here (Range), and what part of a file of a given
// size it asks for.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvid::server {

class ContentRequest {
  public:
    static constexpr std::size_t kMaxHead = 16384;  // request line and headers

    // The part of a file an answer carries: 200 whole, 206 a range, 416 none.
    struct Part {
        int status = 200;
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };

    // Parses the head (everything before the blank line). False for anything that is not a
    // well-formed HTTP/1.x request line with an origin-form target.
    bool Parse(std::string_view head);

    // The part of a file of fileSize bytes to send. A Range that cannot be understood (another
    // unit, several ranges, bad numbers) is ignored and the whole file is sent; a range that
    // starts at or past the end of the file cannot be satisfied.
    Part PartOf(std::uint64_t fileSize) const;

    const std::string& method() const { return method_; }
    const std::string& target() const { return target_; }
    bool headOnly() const { return method_ == "HEAD"; }

  private:
    std::string method_;
    std::string target_;
    std::string range_;  // the Range header's value, "" when absent
};

}  // namespace corvid::server
