#pragma once
// Corvid's own HTTP server for the files of the content directory, on a port of its own beside
// the stack's web server. It only reads: GET and HEAD are answered, any other method gets 405.
// Every request looks at the file as it is now, a Range that starts at or past the end gets
// 416, and the bytes go out with sendfile. Each connection has its own thread with time limits,
// and a bounded number of them run at once.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "common/Socket.h"

namespace corvid::server {

class ShareTree;

class ContentServer {
  public:
    using TreeSource = std::function<std::shared_ptr<const ShareTree>()>;
    static constexpr int kMaxConnections = 32;

    explicit ContentServer(TreeSource tree);
    ~ContentServer();
    ContentServer(const ContentServer&) = delete;
    ContentServer& operator=(const ContentServer&) = delete;

    // Listens on the IPv4 address (port 0: any free port); false when it cannot.
    bool Start(const std::string& address, std::uint16_t port);
    // Stops listening, ends every open connection and waits for their threads.
    void Stop();
    std::uint16_t port() const { return port_; }

  private:
    void acceptLoop();
    void serve(common::Socket client);
    bool respond(const common::Socket& client, const std::string& head);

    TreeSource tree_;
    common::Socket listener_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::condition_variable idle_;
    std::set<int> open_;  // sockets of running connections, shut down by Stop
};

}  // namespace corvid::server
