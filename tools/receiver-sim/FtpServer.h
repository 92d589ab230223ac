#pragma once
// The emulated receiver's FTP server: enough of FTP for what Velkport does (logon, folders,
// binary transfers over active-mode data connections), with the replies a real server gives for
// anything else. Paths are served from under the root folder and can never leave it.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace receiversim {

struct FtpServerOptions {
    std::filesystem::path root;  // FTP path "/a/b" is root/"a/b"
    std::string address = "127.0.0.1";
    std::uint16_t port = 0;  // 0: any free port
    std::string user = "root";
    std::string pin = "0000";
    // The greeting; each line of a text with line breaks becomes one line of a multi-line
    // "220-" reply.
    std::string banner = "QX7100 FTP server ready.";
    // USER alone logs on (answered 230), as on a receiver without a pin code.
    bool loginWithoutPassword = false;
    // A session that sends nothing for this long is closed with a 421 reply.
    std::chrono::milliseconds idleTimeout{300000};
    // Connecting a data connection, and any one send or receive on it.
    std::chrono::milliseconds dataTimeout{30000};
    int maxSessions = 32;  // further connections get 421 and are closed
};

class FtpServer {
  public:
    explicit FtpServer(FtpServerOptions options);
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    bool start(std::string* error = nullptr);  // listens and serves on its own threads
    void stop();                               // closes every session and joins the threads
    std::uint16_t port() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace receiversim
