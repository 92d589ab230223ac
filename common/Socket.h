#pragma once
// A TCP socket that closes itself, and whose every connect, send, receive and accept has a time
// limit, so that a peer that stops answering never holds a thread for good.

#include <sys/types.h>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace common {

using Millis = std::chrono::milliseconds;

class Socket {
  public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int release();
    void close();

    // Connects to an IPv4 address or host name. On failure returns an invalid socket and puts
    // a short English reason in *error when given (errno is kept as the cause).
    static Socket connectTcp(const std::string& host, std::uint16_t port, Millis timeout,
                             std::string* error = nullptr);
    // Listens on an IPv4 address ("" or "0.0.0.0" for any); port 0 picks a free port.
    static Socket listenTcp(const std::string& address, std::uint16_t port, int backlog = 16,
                            std::string* error = nullptr);
    // Waits at most timeout for a connection; invalid socket on timeout (errno ETIMEDOUT) or error.
    Socket accept(Millis timeout) const;

    // Sends the whole buffer; false on error, on a closed peer or when no progress is made for
    // timeout (errno ETIMEDOUT). Never raises SIGPIPE.
    bool sendAll(const void* data, std::size_t length, Millis timeout) const;
    // One receive of at most length bytes: >0 bytes read, 0 the peer closed, -1 error or timeout
    // (errno ETIMEDOUT).
    ssize_t receiveSome(void* data, std::size_t length, Millis timeout) const;
    // Receives exactly length bytes; *received (when given) counts what arrived.
    bool receiveExactly(void* data, std::size_t length, Millis timeout,
                        std::size_t* received = nullptr) const;

    std::uint16_t localPort() const;
    std::string localAddress() const;  // dotted IPv4 text, "" when unknown
    std::string peerAddress() const;
    void shutdownBoth() const;

  private:
    int fd_ = -1;
};

// Waits until fd is readable (or writable); false on timeout (errno ETIMEDOUT) or error.
bool waitReadable(int fd, Millis timeout);
bool waitWritable(int fd, Millis timeout);

}  // namespace common
