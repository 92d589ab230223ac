#pragma once
// A stand-in receiver or FTP server for transport tests: a loopback listener that plays one
// script per connection it accepts, in order; connections beyond the scripts are held silently.
// A connection closes when its script returns. Every wait of a script ends when the client
// closes or the peer stops, so the destructor (which stops the peer and joins) never hangs.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/Socket.h"

namespace fixtures {

class ScriptedPeer {
  public:
    using Bytes = std::vector<std::uint8_t>;
    class Connection;
    using Script = std::function<void(Connection&)>;

    ScriptedPeer();  // listens on 127.0.0.1, a free port
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    std::uint16_t port() const { return port_; }
    void start(std::vector<Script> scripts);

    bool waitForConnections(int n, std::chrono::milliseconds timeout);
    bool waitForScriptEnd(int i, std::chrono::milliseconds timeout);
    int connections() const;
    Bytes received(int connection) const;  // what expect() read on that connection

    class Connection {
      public:
        bool send(const Bytes& bytes) { return socket_.sendAll(bytes.data(), bytes.size(), kIo); }
        bool send(const std::string& text) { return send(Bytes(text.begin(), text.end())); }
        // A gap so that pieces reach the client as separate receives.
        void pause(std::chrono::milliseconds gap = std::chrono::milliseconds(20));
        bool expect(std::size_t n);  // reads n bytes; false when the client closed first
        std::string line();          // one line without its line end; "" when the client closed
        void stall();                // silent until the client closes
        void sendForever(const Bytes& record);

      private:
        friend class ScriptedPeer;
        static constexpr std::chrono::milliseconds kIo{5000};
        Connection(ScriptedPeer& peer, common::Socket s, int index)
            : peer_(peer), socket_(std::move(s)), index_(index) {}
        ssize_t receive(void* into, std::size_t n);  // waits for data, the close or the stop
        ScriptedPeer& peer_;
        common::Socket socket_;
        int index_;
    };

  private:
    void run(std::vector<Script> scripts);
    bool stopping() const;

    common::Socket listener_;
    std::uint16_t port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    int accepted_ = 0;
    int finished_ = 0;
    std::vector<Bytes> received_;
};

}  // namespace fixtures
