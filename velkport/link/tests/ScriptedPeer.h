#pragma once
// A stand-in receiver for transport tests: a loopback listener that plays a script on each
// connection it accepts, in order. A script sends bytes in pieces, reads what the client sends,
// stalls (holds the connection silently), streams a record forever, or closes. Everything the
// client sent is kept per connection. The destructor ends every step and joins the thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/Socket.h"

namespace fixtures {

class ScriptedPeer {
  public:
    using Bytes = std::vector<std::uint8_t>;

    ScriptedPeer();  // listens on 127.0.0.1, a free port
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    std::uint16_t port() const { return port_; }

    // Script building; steps go to the connection being described. Call before start().
    ScriptedPeer& send(Bytes bytes);
    ScriptedPeer& send(std::span<const std::uint8_t> bytes) {
        return send(Bytes(bytes.begin(), bytes.end()));
    }
    // A gap between pieces so that they reach the client as separate receives.
    ScriptedPeer& pause(std::chrono::milliseconds gap = std::chrono::milliseconds(20));
    ScriptedPeer& expect(std::size_t n);  // reads n bytes from the client
    ScriptedPeer& stall();                // silent until the client closes or the peer stops
    ScriptedPeer& sendForever(Bytes record);
    ScriptedPeer& close();           // ends this connection's script
    ScriptedPeer& nextConnection();  // further steps belong to the next accepted connection

    void start();

    // Waits until n connections were accepted (false after the timeout).
    bool waitForConnections(int n, std::chrono::milliseconds timeout);
    // Waits until the steps of connection i ran to their end (a stall ends when the client
    // closes the connection).
    bool waitForScriptEnd(int i, std::chrono::milliseconds timeout);
    int connections() const;
    Bytes received(int connection) const;

  private:
    struct Step {
        enum Kind { Send, Pause, Expect, Stall, SendForever, Close } kind;
        Bytes bytes;
        std::size_t count = 0;
        std::chrono::milliseconds gap{0};
    };
    void run();
    // Plays one connection's script; true when the connection stays open afterwards.
    bool play(const common::Socket& s, const std::vector<Step>& script, int index);
    void drainUntilClosed(const common::Socket& s);
    bool stopping() const;

    common::Socket listener_;
    std::uint16_t port_ = 0;
    std::vector<std::vector<Step>> scripts_{1};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    int accepted_ = 0;
    int finished_ = 0;
    std::vector<Bytes> received_;
};

}  // namespace fixtures
