#pragma once
// The receiver's side of a VLC stream: a UDP socket on a free loopback port that reads the
// transport-stream packets sent to it. Also the film that VLC is given to stream.

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>

#include "common/FileDescriptor.h"
#include "tests/fixtures/PlaybackMedia.h"

namespace corvid::sharing {

class StreamWatcher {
  public:
    StreamWatcher() : udp_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(udp_.fd(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::getsockname(udp_.fd(), reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port_ = ntohs(addr.sin_port);
    }
    // 0 when no port could be had.
    std::uint16_t port() const { return port_; }

    // The PIDs of the packets that arrive until every wanted one was seen or the limit passed.
    std::set<int> pids(std::chrono::milliseconds limit, const std::set<int>& wanted) {
        std::set<int> seen;
        const auto end = std::chrono::steady_clock::now() + limit;
        unsigned char buffer[65536];
        while (std::chrono::steady_clock::now() < end &&
               !std::includes(seen.begin(), seen.end(), wanted.begin(), wanted.end())) {
            pollfd p{udp_.fd(), POLLIN, 0};
            if (::poll(&p, 1, 200) != 1)
                continue;
            const ssize_t n = ::recv(udp_.fd(), buffer, sizeof buffer, 0);
            for (ssize_t i = 0; i + 188 <= n; i += 188)
                if (buffer[i] == 0x47)
                    seen.insert(((buffer[i + 1] & 0x1F) << 8) | buffer[i + 2]);
        }
        return seen;
    }

    // An MPEG program stream of test picture and tone, readable by everyone (VLC may run as
    // another user); false when ffmpeg could not make it.
    static bool MakeFilm(const std::filesystem::path& file, const std::string& seconds) {
        const bool made = fixtures::Ffmpeg(
            "-f lavfi -i testsrc=size=352x288:rate=25 -f lavfi -i "
            "sine=sample_rate=48000 -t " +
                seconds + " -c:v mpeg2video -c:a mp2 -f mpeg",
            file);
        std::error_code ignored;
        std::filesystem::permissions(file, std::filesystem::perms(0644), ignored);
        return made;
    }

  private:
    common::FileDescriptor udp_;
    std::uint16_t port_ = 0;
};

}  // namespace corvid::sharing
