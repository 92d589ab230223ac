#pragma once
// The small FTP client every exchange with the receiver's FTP server uses: one client per
// exchange, a line-oriented control connection, a fixed logon sequence, single commands whose
// reply class is checked, and whole-file transfers in binary mode over an active-mode (PORT)
// data connection. Every connect, accept, send and receive has a time limit.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "common/Socket.h"
#include "velkport/link/FtpReplyReader.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::link {

class FtpClient {
  public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{30000};
    static constexpr std::size_t kPieceSize = 4096;  // bytes moved per data send or receive

    // Messages the client shows itself go to prompter (plain, no icon).
    explicit FtpClient(shell::Prompter& prompter,
                       std::chrono::milliseconds timeout = kDefaultTimeout);
    // Closes the control connection without sending anything.
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Polled between the pieces of a transfer; once it says true the transfer stops as a
    // failure (Cancelled() tells it apart): a download leaves the local file as it was, an
    // upload asks the server to delete what arrived.
    void SetCancel(std::function<bool()> cancelled) { cancel_ = std::move(cancelled); }
    bool Cancelled() const { return cancelledNow_; }

    // How long any one connect, accept, send or reply may take (tests use short limits).
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    std::chrono::milliseconds Timeout() const { return timeout_; }

    // Opens the control connection, reads the greeting and runs the logon sequence.
    bool LogOn(const std::string& host, std::uint16_t port, const std::string& userId,
               const std::string& pinCode);
    // Sends text as one command line (nothing when empty) and reads one reply; true when the
    // reply class is 2.
    bool Command(const std::string& text);
    // RETR (download) or STOR (upload) of one whole file in the server's current folder. True
    // only when the data arrived whole and the server's closing reply is positive.
    bool TransferFile(const std::string& remoteName, const std::filesystem::path& localPath,
                      bool download);
    // Sends "QUIT" without waiting for the answer and closes the control connection.
    void LogOff();
    // Closes the control connection without sending anything.
    void Close();

    // The last reply line, or the text of the last local failure.
    const std::string& LastReply() const { return lastReply_; }
    // First digit of the last reply line read (0 before any).
    int ReplyClass() const { return replyClass_; }
    bool Connected() const { return control_.valid(); }
    // The host as commands would name it: host, or host + ":" + port when the port is not 21.
    const std::string& HostText() const { return hostText_; }

    // The PORT argument for a local address and data port: "192,168,1,5,19,137".
    static std::string PortArgument(const std::string& localAddress, std::uint16_t port);

  private:
    bool OpenChannel(const std::string& host, std::uint16_t port);
    bool SendLine(const std::string& text);
    bool ReadReply();
    bool Download(const common::Socket& data, int fd);
    bool Upload(const common::Socket& data, int fd);
    common::Socket AcceptData(const common::Socket& listener);

    shell::Prompter& prompter_;
    std::chrono::milliseconds timeout_;
    common::Socket control_;
    std::unique_ptr<FtpReplyReader> reader_;
    std::chrono::steady_clock::time_point replyDeadline_{};
    std::string hostText_;
    std::string lastReply_;
    int replyClass_ = 0;
    std::function<bool()> cancel_;
    bool cancelledNow_ = false;
};

}  // namespace velkport::link
