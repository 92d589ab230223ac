#include "corvid/server/ContentRequest.h"

#include <cctype>
#include <charconv>

namespace corvid::server {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A decimal number of digits only; false when empty, not digits or too large.
bool number(std::string_view s, std::uint64_t& out) {
    if (s.empty() || s.size() > 19)
        return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

bool ContentRequest::Parse(std::string_view head) {
    method_.clear();
    target_.clear();
    range_.clear();
    if (head.size() > kMaxHead)
        return false;
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view line = head.substr(0, lineEnd);
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp1 == 0 || sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != line.npos)
        return false;
    const std::string_view method = line.substr(0, sp1);
    const std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view version = line.substr(sp2 + 1);
    for (char c : method) {
        if (c < 'A' || c > 'Z')
            return false;
    }
    if (target.empty() || target.front() != '/' || version.size() != 8 ||
        version.substr(0, 7) != "HTTP/1.")
        return false;
    for (char c : target) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return false;
    }
    method_ = method;
    target_ = target;
    std::size_t at = lineEnd;
    while (at != std::string_view::npos && at + 2 < head.size()) {
        const std::size_t next = head.find("\r\n", at + 2);
        const std::string_view field =
            head.substr(at + 2, next == head.npos ? head.npos : next - at - 2);
        const std::size_t colon = field.find(':');
        if (colon != std::string_view::npos && equalsNoCase(field.substr(0, colon), "range"))
            range_ = trim(field.substr(colon + 1));
        at = next;
    }
    return true;
}

ContentRequest::Part ContentRequest::PartOf(std::uint64_t fileSize) const {
    Part whole{200, 0, fileSize};
    std::string_view ranges = range_;
    if (ranges.size() < 6 || !equalsNoCase(ranges.substr(0, 6), "bytes="))
        return whole;
    ranges.remove_prefix(6);
    const std::size_t dash = ranges.find('-');
    if (dash == std::string_view::npos || ranges.find(',') != std::string_view::npos)
        return whole;
    const std::string_view from = trim(ranges.substr(0, dash));
    const std::string_view to = trim(ranges.substr(dash + 1));
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    if (from.empty()) {
        // "-n": the last n bytes.
        if (!number(to, last))
            return whole;
        if (last == 0 || fileSize == 0)
            return {416, 0, 0};
        const std::uint64_t n = last < fileSize ? last : fileSize;
        return {206, fileSize - n, n};
    }
    if (!number(from, first) || (!to.empty() && (!number(to, last) || last < first)))
        return whole;
    if (first >= fileSize)
        return {416, 0, 0};
    if (to.empty() || last >= fileSize)
        last = fileSize - 1;
    return {206, first, last - first + 1};
}

}  // namespace corvid::server
