#include "Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace common {

namespace {

bool waitFor(int fd, short events, Millis timeout) {
    pollfd p{fd, events, 0};
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0)
            left = Millis(0);
        int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r > 0)
            return true;
        if (r == 0) {
            errno = ETIMEDOUT;
            return false;
        }
        if (errno != EINTR)
            return false;
    }
}

void setError(std::string* error, const std::string& what) {
    if (error)
        *error = what + ": " + std::strerror(errno);
}

bool resolveIPv4(const std::string& host, in_addr* out) {
    if (host.empty() || host == "0.0.0.0") {
        out->s_addr = htonl(INADDR_ANY);
        return true;
    }
    if (::inet_pton(AF_INET, host.c_str(), out) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) {
        errno = EHOSTUNREACH;
        return false;
    }
    *out = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
    ::freeaddrinfo(res);
    return true;
}

std::string addressText(const sockaddr_in& a) {
    char buf[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &a.sin_addr, buf, sizeof buf))
        return {};
    return buf;
}

}  // namespace

bool waitReadable(int fd, Millis timeout) {
    return waitFor(fd, POLLIN, timeout);
}
bool waitWritable(int fd, Millis timeout) {
    return waitFor(fd, POLLOUT, timeout);
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

int Socket::release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void Socket::close() {
    if (fd_ >= 0) {
        int saved = errno;
        ::close(fd_);
        errno = saved;
        fd_ = -1;
    }
}

Socket Socket::connectTcp(const std::string& host, std::uint16_t port, Millis timeout,
                          std::string* error) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (!resolveIPv4(host, &addr.sin_addr)) {
        setError(error, "cannot resolve " + host);
        return {};
    }
    Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!s.valid()) {
        setError(error, "socket");
        return {};
    }
    int r = ::connect(s.fd(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (r != 0 && errno != EINPROGRESS) {
        setError(error, "connect");
        return {};
    }
    if (r != 0) {
        if (!waitWritable(s.fd(), timeout)) {
            setError(error, "connect");
            return {};
        }
        int soerr = 0;
        socklen_t len = sizeof soerr;
        ::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &soerr, &len);
        if (soerr != 0) {
            errno = soerr;
            setError(error, "connect");
            return {};
        }
    }
    int one = 1;
    ::setsockopt(s.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return s;
}

Socket Socket::listenTcp(const std::string& address, std::uint16_t port, int backlog,
                         std::string* error) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (!resolveIPv4(address, &addr.sin_addr)) {
        setError(error, "cannot resolve " + address);
        return {};
    }
    Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!s.valid()) {
        setError(error, "socket");
        return {};
    }
    int one = 1;
    ::setsockopt(s.fd(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(s.fd(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        setError(error, "bind");
        return {};
    }
    if (::listen(s.fd(), backlog) != 0) {
        setError(error, "listen");
        return {};
    }
    return s;
}

Socket Socket::accept(Millis timeout) const {
    for (;;) {
        if (!waitReadable(fd_, timeout))
            return {};
        int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return Socket(fd);
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
            return {};
    }
}

bool Socket::sendAll(const void* data, std::size_t length, Millis timeout) const {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (length > 0) {
        ssize_t n = ::send(fd_, p, length, MSG_NOSIGNAL);
        if (n > 0) {
            p += n;
            length -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitWritable(fd_, timeout))
                return false;
            continue;
        }
        if (n == 0)
            errno = EPIPE;
        return false;
    }
    return true;
}

ssize_t Socket::receiveSome(void* data, std::size_t length, Millis timeout) const {
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    for (;;) {
        ssize_t n = ::recv(fd_, data, length, 0);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return -1;
        if (!waitReadable(fd_, timeout))
            return -1;
    }
}

bool Socket::receiveExactly(void* data, std::size_t length, Millis timeout,
                            std::size_t* received) const {
    auto* p = static_cast<std::uint8_t*>(data);
    std::size_t got = 0;
    bool ok = true;
    while (got < length) {
        ssize_t n = receiveSome(p + got, length - got, timeout);
        if (n <= 0) {
            if (n == 0)
                errno = ECONNRESET;
            ok = false;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    if (received)
        *received = got;
    return ok;
}

std::uint16_t Socket::localPort() const {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return 0;
    return ntohs(a.sin_port);
}

std::string Socket::localAddress() const {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return {};
    return addressText(a);
}

std::string Socket::peerAddress() const {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return {};
    return addressText(a);
}

void Socket::shutdownBoth() const {
    if (fd_ >= 0)
        ::shutdown(fd_, SHUT_RDWR);
}

}  // namespace common
