#include "velkport/link/FtpClient.h"

#include "common/FileDescriptor.h"
#include "velkport/link/ReceiverAddress.h"
#include "velkport/link/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace velkport::link {

namespace {

using Clock = std::chrono::steady_clock;

// Texts the client leaves for its callers, and the messages it shows itself.
constexpr const char* kNetworkError = "Network Error";
constexpr const char* kStopped = "Stopped";
constexpr const char* kCannotCreateSocket = "Unable to create socket";
constexpr const char* kCannotConnect = "Unable to connect to server";
constexpr const char* kLogonFailed = "Logon failed";
constexpr const char* kCannotOpenLocalFile = "Can not open local file";
constexpr const char* kErrorOpenChannel = "Error OpenChannel";
constexpr const char* kErrorSendCommand = "Error Send Command";
constexpr const char* kErrorReadString = "Error Read String";
constexpr const char* kErrorInvalidResponse = "Error Invalid Response";
constexpr const char* kErrorGoneWrong = "Error Summat has gone wrong";

std::chrono::milliseconds Left(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

bool WriteAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

}  // namespace

FtpClient::FtpClient(shell::Prompter& prompter, std::chrono::milliseconds timeout)
    : prompter_(prompter), timeout_(timeout) {}

FtpClient::~FtpClient() {
    Close();
}

void FtpClient::Close() {
    reader_.reset();
    control_.close();
}

std::string FtpClient::PortArgument(const std::string& localAddress, std::uint16_t port) {
    std::string text = localAddress;
    std::replace(text.begin(), text.end(), '.', ',');
    return text + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

bool FtpClient::OpenChannel(const std::string& host, std::uint16_t port) {
    std::string error;
    lastReply_ = kCannotConnect;
    control_ = common::Socket::connectTcp(host, port, timeout_, &error);
    if (!control_.valid()) {
        if (error.rfind("socket", 0) == 0)
            lastReply_ = kCannotCreateSocket;
        return false;
    }
    lastReply_ = kCannotCreateSocket;
    reader_ = std::make_unique<FtpReplyReader>([this](char* into, std::size_t capacity) -> long {
        return static_cast<long>(control_.receiveSome(into, capacity, Left(replyDeadline_)));
    });
    return true;
}

bool FtpClient::SendLine(const std::string& text) {
    lastReply_ = kNetworkError;
    if (!control_.valid())
        return false;
    // A line break inside the text would smuggle a second command onto the connection.
    if (text.find_first_of("\r\n") != std::string::npos)
        return false;
    const std::string line = text + "\r\n";
    return control_.sendAll(line.data(), line.size(), timeout_);
}

bool FtpClient::ReadReply() {
    if (!reader_) {
        lastReply_ = kNetworkError;
        return false;
    }
    // The whole reply, however many lines, has to arrive within one time limit.
    replyDeadline_ = Clock::now() + timeout_;
    if (!reader_->ReadReply(lastReply_, replyClass_)) {
        lastReply_ = kNetworkError;
        return false;
    }
    return true;
}

bool FtpClient::Command(const std::string& text) {
    if (!text.empty() && !SendLine(text))
        return false;
    if (!ReadReply())
        return false;
    return replyClass_ == 2;
}

bool FtpClient::LogOn(const std::string& host, std::uint16_t port, const std::string& userId,
                      const std::string& pinCode) {
    hostText_ = host;
    // Only a dotted address: a name would mean a lookup, and the receiver has none.
    if (!ReceiverAddress::IsValid(host)) {
        lastReply_ = ReceiverAddress::kMissingMessage;
        prompter_.showMessage(kErrorOpenChannel, shell::PromptIcon::None);
        return false;
    }
    if (port != 21)
        hostText_ += ":" + std::to_string(port);

    if (!OpenChannel(host, port)) {
        prompter_.showMessage(kErrorOpenChannel, shell::PromptIcon::None);
        return false;
    }
    if (!Command(""))
        return false;

    // Steps 0 (USER), 3 (PASS) and 6 (PASS once more): class 2 logs on, class 3 goes on.
    int step = 0;
    std::string line;
    for (;;) {
        if (step == 0)
            line = "USER " + userId;
        else if (step == 3)
            line = "PASS " + pinCode;
        if (!SendLine(line)) {
            prompter_.showMessage(kErrorSendCommand, shell::PromptIcon::None);
            return false;
        }
        if (!ReadReply()) {
            prompter_.showMessage(kErrorReadString, shell::PromptIcon::None);
            return false;
        }
        if (replyClass_ != 2 && replyClass_ != 3) {
            prompter_.showMessage(kErrorInvalidResponse, shell::PromptIcon::None);
            return false;
        }
        if (replyClass_ == 2)
            return true;
        if (step == 0) {
            step = 3;
        } else if (step == 3) {
            step = 6;
        } else {
            prompter_.showMessage(kErrorGoneWrong, shell::PromptIcon::None);
            lastReply_ = kLogonFailed;
            return false;
        }
    }
}

void FtpClient::LogOff() {
    SendLine("QUIT");
    Close();
}

common::Socket FtpClient::AcceptData(const common::Socket& listener) {
    const auto deadline = Clock::now() + timeout_;
    const std::string server = control_.peerAddress();
    for (;;) {
        common::Socket data = listener.accept(Left(deadline));
        if (!data.valid())
            return data;
        // Only the server we talk to may deliver the data.
        if (data.peerAddress() == server)
            return data;
        if (Left(deadline).count() == 0)
            return {};
    }
}

bool FtpClient::Download(const common::Socket& data, int fd) {
    char piece[kPieceSize];
    for (;;) {
        if (cancel_ && cancel_())
            return !(cancelledNow_ = true);
        ssize_t n = data.receiveSome(piece, sizeof piece, timeout_);
        if (n == 0)
            return true;
        if (n < 0 || !WriteAll(fd, piece, static_cast<std::size_t>(n)))
            return false;
    }
}

bool FtpClient::Upload(const common::Socket& data, int fd) {
    char piece[kPieceSize];
    for (;;) {
        if (cancel_ && cancel_())
            return !(cancelledNow_ = true);
        ssize_t n = ::read(fd, piece, sizeof piece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            return true;
        if (n < 0 || !data.sendAll(piece, static_cast<std::size_t>(n), timeout_))
            return false;
    }
}

bool FtpClient::TransferFile(const std::string& remoteName, const std::filesystem::path& localPath,
                             bool download) {
    // A download goes to a temporary file beside the target and replaces it only when whole, so
    // a failed one leaves an existing file of that name as it was. An upload reads a regular
    // file only: a folder opens but reads nothing, which would replace the remote file by an
    // empty one.
    ReplacingFile target;
    common::FileDescriptor source;
    if (download) {
        if (!target.open(localPath)) {
            lastReply_ = kCannotOpenLocalFile;
            return false;
        }
    } else {
        source = common::FileDescriptor(::open(localPath.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (!source.valid() || ::fstat(source.fd(), &st) != 0 || !S_ISREG(st.st_mode)) {
            lastReply_ = kCannotOpenLocalFile;
            return false;
        }
    }
    if (!Command("TYPE I"))
        return false;

    lastReply_ = kNetworkError;
    const std::string localAddress = control_.localAddress();
    if (localAddress.empty())
        return false;
    // The data port listens on the address the server already reaches us at, and nowhere else.
    common::Socket listener = common::Socket::listenTcp(localAddress, 0, 5);
    if (!listener.valid())
        return false;
    const std::uint16_t dataPort = listener.localPort();
    if (!Command("PORT " + PortArgument(localAddress, dataPort)))
        return false;

    if (!SendLine((download ? "RETR " : "STOR ") + remoteName) || !ReadReply() || replyClass_ != 1)
        return false;

    common::Socket data = AcceptData(listener);
    listener.close();
    if (!data.valid()) {
        lastReply_ = kNetworkError;
        return false;
    }
    cancelledNow_ = false;
    const bool moved = download ? Download(data, target.fd()) : Upload(data, source.fd());
    data.close();
    if (cancelledNow_) {
        // The server answers the broken-off transfer; what it kept of an upload goes too.
        Command("");
        if (!download)
            Command("DELE " + remoteName);
        lastReply_ = kStopped;
        return false;
    }
    if (!moved) {
        lastReply_ = kNetworkError;
        return false;
    }
    // The server's closing reply says whether it got or sent everything; reading it also
    // keeps the control connection in step for a following command.
    if (!Command(""))
        return false;
    if (download && !target.commit()) {
        lastReply_ = kCannotOpenLocalFile;
        return false;
    }
    return true;
}

}  // namespace velkport::link
