#include "corvid/server/ContentServer.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <system_error>

#include "common/FileDescriptor.h"
#include "corvid/server/ContentRequest.h"
#include "corvid/server/ContentUrl.h"
#include "corvid/server/MimeTypes.h"
#include "corvid/server/ShareTree.h"

namespace corvid::server {

namespace {

const common::Millis kRequestLimit(10000);  // for the whole request head
const common::Millis kSendLimit(30000);     // without progress while sending

std::string httpDate(std::time_t t) {
    char buf[64];
    std::tm tm{};
    gmtime_r(&t, &tm);
    std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S GMT", &tm);
    return buf;
}

bool sendText(const common::Socket& client, const std::string& text) {
    return client.sendAll(text.data(), text.size(), kSendLimit);
}

bool sendStatus(const common::Socket& client, int status, const char* reason,
                const std::string& extra = "") {
    const std::string body = std::to_string(status) + " " + reason + "\n";
    return sendText(client, "HTTP/1.1 " + std::to_string(status) + " " + reason +
                                "\r\nContent-Type: text/plain\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n" + extra +
                                "Connection: close\r\n\r\n" + body);
}

// Sends length bytes of file from offset; false when the peer stops taking them.
bool sendFile(const common::Socket& client, int file, std::uint64_t offset, std::uint64_t length) {
    off_t at = static_cast<off_t>(offset);
    while (length > 0) {
        const std::size_t chunk = length < (1u << 30) ? static_cast<std::size_t>(length) : 1u << 30;
        const ssize_t n = ::sendfile(client.fd(), file, &at, chunk);
        if (n > 0) {
            length -= static_cast<std::uint64_t>(n);
        } else if (n == 0) {
            return false;  // the file shrank while it was sent
        } else if ((errno != EAGAIN && errno != EINTR) ||
                   (errno == EAGAIN && !common::waitWritable(client.fd(), kSendLimit))) {
            return false;
        }
    }
    return true;
}

}  // namespace

ContentServer::ContentServer(TreeSource tree) : tree_(std::move(tree)) {}

ContentServer::~ContentServer() {
    Stop();
}

bool ContentServer::Start(const std::string& address, std::uint16_t port) {
    Stop();
    listener_ = common::Socket::listenTcp(address, port, 64);
    if (!listener_.valid())
        return false;
    port_ = listener_.localPort();
    stopping_ = false;
    acceptor_ = std::thread([this] { acceptLoop(); });
    return true;
}

void ContentServer::Stop() {
    stopping_ = true;
    if (acceptor_.joinable())
        acceptor_.join();
    listener_.close();
    std::unique_lock lock(mutex_);
    for (int fd : open_)
        ::shutdown(fd, SHUT_RDWR);  // their threads see the end at once and finish
    idle_.wait(lock, [this] { return open_.empty(); });
}

void ContentServer::acceptLoop() {
    while (!stopping_) {
        common::Socket client = listener_.accept(common::Millis(200));
        if (!client.valid())
            continue;
        std::lock_guard lock(mutex_);
        if (static_cast<int>(open_.size()) >= kMaxConnections)
            continue;  // too many at once: this one is closed unanswered
        const int fd = client.fd();
        open_.insert(fd);
        try {
            std::thread([this, c = std::move(client)]() mutable { serve(std::move(c)); }).detach();
        } catch (const std::system_error&) {
            open_.erase(fd);  // no thread to be had: the connection closes unanswered
        }
    }
}

void ContentServer::serve(common::Socket client) {
    std::string head;
    char buf[4096];
    const auto deadline = std::chrono::steady_clock::now() + kRequestLimit;
    while (head.find("\r\n\r\n") == std::string::npos && head.size() <= ContentRequest::kMaxHead) {
        const auto left =
            std::chrono::duration_cast<common::Millis>(deadline - std::chrono::steady_clock::now());
        const ssize_t n = left.count() > 0 ? client.receiveSome(buf, sizeof buf, left) : -1;
        if (n <= 0)
            break;
        head.append(buf, static_cast<std::size_t>(n));
    }
    const std::size_t end = head.find("\r\n\r\n");
    if (end != std::string::npos)
        respond(client, head.substr(0, end));
    else if (head.size() > ContentRequest::kMaxHead)
        sendStatus(client, 431, "Request Header Fields Too Large");
    // A body nobody read (a refused POST) must not turn the close into a reset that loses the
    // answer: the sending side closes first and what still comes is read away for a moment.
    ::shutdown(client.fd(), SHUT_WR);
    for (int i = 0; i < 16 && client.receiveSome(buf, sizeof buf, common::Millis(100)) > 0; ++i) {
    }
    std::lock_guard lock(mutex_);
    open_.erase(client.fd());
    client.close();
    idle_.notify_all();
}

bool ContentServer::respond(const common::Socket& client, const std::string& head) {
    ContentRequest request;
    if (!request.Parse(head))
        return sendStatus(client, 400, "Bad Request");
    if (request.method() != "GET" && request.method() != "HEAD")
        return sendStatus(client, 405, "Method Not Allowed", "Allow: GET, HEAD\r\n");
    const auto tree = tree_ ? tree_() : nullptr;
    std::string id;
    const std::string& target = request.target();
    const MediaObject* object = nullptr;
    if (tree && target.find("index.html") == std::string::npos && ParseContentUrl(target, id) == 0)
        object = tree->FindById(id);
    // The file must still be a regular file inside a shared folder, links resolved.
    char real[PATH_MAX];
    common::FileDescriptor file;
    struct stat st {};
    if (object != nullptr && !object->IsContainer() &&
        ::realpath(object->path.c_str(), real) != nullptr && tree->InsideShares(real))
        file = common::FileDescriptor(::open(real, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid() || ::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode))
        return sendStatus(client, 404, "Not Found");
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const ContentRequest::Part part = request.PartOf(size);
    if (part.status == 416)
        return sendStatus(client, 416, "Range Not Satisfiable",
                          "Content-Range: bytes */" + std::to_string(size) + "\r\n");
    std::string answer =
        part.status == 206 ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
    answer += "Content-Type: " + MimeTypeFor(object->extension, object->mediaType) +
              "\r\nContent-Length: " + std::to_string(part.length) +
              "\r\nAccept-Ranges: bytes\r\nLast-Modified: " + httpDate(st.st_mtime) + "\r\n";
    if (part.status == 206)
        answer += "Content-Range: bytes " + std::to_string(part.offset) + "-" +
                  std::to_string(part.offset + part.length - 1) + "/" + std::to_string(size) +
                  "\r\n";
    answer += "Connection: close\r\n\r\n";
    if (!sendText(client, answer) || request.headOnly())
        return true;
    ::posix_fadvise(file.fd(), static_cast<off_t>(part.offset), static_cast<off_t>(part.length),
                    POSIX_FADV_SEQUENTIAL);
    return sendFile(client, file.fd(), part.offset, part.length);
}

}  // namespace corvid::server
