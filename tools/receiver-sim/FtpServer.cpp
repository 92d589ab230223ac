#include "tools/receiver-sim/FtpServer.h"

#include "common/FileDescriptor.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <list>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "common/Socket.h"
#include "velkport/link/FtpReplyReader.h"

namespace receiversim {

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::size_t kPiece = 65536;

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool isPrefix(const fs::path& prefix, const fs::path& p) {
    auto pi = p.begin();
    for (auto it = prefix.begin(); it != prefix.end(); ++it, ++pi) {
        if (pi == p.end() || *pi != *it)
            return false;
    }
    return true;
}

// Verbs of FTP that this server knows of but does not offer.
const std::set<std::string>& unofferedVerbs() {
    static const std::set<std::string> verbs = {
        "ABOR", "ACCT", "ALLO", "APPE", "DELE", "EPRT", "EPSV", "FEAT", "HELP", "LIST", "MDTM",
        "MKD",  "MLSD", "MLST", "MODE", "NLST", "OPTS", "PASV", "REIN", "REST", "RMD",  "RNFR",
        "RNTO", "SITE", "SIZE", "SMNT", "STAT", "STOU", "STRU", "XMKD", "XRMD"};
    return verbs;
}

}  // namespace

namespace {

// One connected client, as the server keeps track of it.
struct Session {
    common::Socket control;
    int dataFd = -1;  // the running transfer's socket, guarded by Shared::mutex
    std::thread thread;
    std::atomic<bool> done{false};
};

// What the accepting thread and the sessions share.
struct Shared {
    explicit Shared(FtpServerOptions o) : options(std::move(o)) {}
    FtpServerOptions options;
    fs::path canonicalRoot;
    std::mutex mutex;
    std::atomic<bool> stopping{false};
    std::list<std::unique_ptr<Session>> sessions;  // guarded by mutex
};

// One client's conversation with the server.
class Conversation {
  public:
    Conversation(Shared& server, Session& session)
        : server_(server),
          session_(session),
          options_(server.options),
          reader_([this](char* into, std::size_t capacity) -> long {
              ssize_t n = session_.control.receiveSome(into, capacity, options_.idleTimeout);
              timedOut_ = n < 0 && errno == ETIMEDOUT;
              return static_cast<long>(n);
          }) {}

    void run();

  private:
    bool reply(const std::string& line) {
        const std::string text = line + "\r\n";
        return session_.control.sendAll(text.data(), text.size(), options_.dataTimeout);
    }
    // Sends a reply whose text may hold several lines, as "NNN-" lines and a last "NNN " line.
    bool replyLines(const std::string& code, const std::string& text);
    bool dispatch(const std::string& verb, const std::string& argument);

    // FTP path (absolute or relative to the current folder) → its normal form "/a/b" and the
    // file below the root. False when it names something outside the root.
    bool resolve(const std::string& argument, std::string& ftpPath, fs::path& local) const;
    common::Socket openData();
    void setDataFd(int fd) {
        std::lock_guard<std::mutex> lock(server_.mutex);
        session_.dataFd = fd;
    }

    void doPort(const std::string& argument);
    void doRetr(const std::string& argument);
    void doStor(const std::string& argument);

    Shared& server_;
    Session& session_;
    const FtpServerOptions& options_;
    velkport::link::FtpReplyReader reader_;

    bool userGiven_ = false;
    bool loggedIn_ = false;
    std::string userName_;
    std::string cwd_ = "/";
    bool havePort_ = false;
    std::string dataHost_;
    std::uint16_t dataPort_ = 0;
    bool quit_ = false;
    bool timedOut_ = false;
};

bool Conversation::replyLines(const std::string& code, const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!reply(code + "-" + lines[i]))
            return false;
    }
    return reply(code + " " + lines.back());
}

bool Conversation::resolve(const std::string& argument, std::string& ftpPath,
                           fs::path& local) const {
    if (argument.find('\0') != std::string::npos)
        return false;
    const std::string joined = (!argument.empty() && argument[0] == '/')
                                   ? argument
                                   : cwd_ + (cwd_ == "/" ? "" : "/") + argument;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        std::string part = joined.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();  // ".." at the root stays at the root
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    ftpPath = "/";
    local = server_.canonicalRoot;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        ftpPath += (i ? "/" : "") + parts[i];
        local /= parts[i];
    }
    // A symbolic link below the root may still point outside it.
    std::error_code ec;
    fs::path real = fs::weakly_canonical(local, ec);
    if (ec)
        return false;
    return isPrefix(server_.canonicalRoot, real);
}

common::Socket Conversation::openData() {
    common::Socket data;
    if (havePort_)
        data = common::Socket::connectTcp(dataHost_, dataPort_, options_.dataTimeout);
    havePort_ = false;  // a PORT serves one transfer
    return data;
}

void Conversation::doPort(const std::string& argument) {
    std::vector<long> n;
    std::size_t start = 0;
    bool ok = true;
    while (ok && start <= argument.size()) {
        std::size_t end = argument.find(',', start);
        if (end == std::string::npos)
            end = argument.size();
        std::string part = argument.substr(start, end - start);
        ok = !part.empty() && part.size() <= 3 &&
             std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (ok) {
            n.push_back(std::stol(part));
            ok = n.back() <= 255;
        }
        start = end + 1;
    }
    if (!ok || n.size() != 6) {
        reply("501 Syntax error in parameters or arguments.");
        return;
    }
    const std::string host = std::to_string(n[0]) + "." + std::to_string(n[1]) + "." +
                             std::to_string(n[2]) + "." + std::to_string(n[3]);
    const long port = n[4] * 256 + n[5];
    // Data goes only back to the client itself (no bounce to a third host).
    if (host != session_.control.peerAddress() || port < 1024) {
        reply("500 Illegal PORT command.");
        return;
    }
    havePort_ = true;
    dataHost_ = host;
    dataPort_ = static_cast<std::uint16_t>(port);
    reply("200 PORT command successful.");
}

void Conversation::doRetr(const std::string& argument) {
    std::string ftpPath;
    fs::path local;
    if (!havePort_) {
        reply("425 Use PORT first.");
        return;
    }
    std::error_code ec;
    if (!resolve(argument, ftpPath, local) || !fs::is_regular_file(local, ec)) {
        havePort_ = false;
        reply("550 " + argument + ": No such file.");
        return;
    }
    common::FileDescriptor file(::open(local.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!file.valid() || ::fstat(file.fd(), &st) != 0) {
        havePort_ = false;
        reply("550 " + argument + ": Permission denied.");
        return;
    }
    common::Socket data = openData();
    if (!data.valid()) {
        reply("425 Can't open data connection.");
        return;
    }
    setDataFd(data.fd());
    reply("150 Opening BINARY mode data connection for " + argument + " (" +
          std::to_string(st.st_size) + " bytes).");
    std::vector<char> piece(kPiece);
    bool sent = true;
    bool readFailed = false;
    for (;;) {
        ssize_t n = ::read(file.fd(), piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            break;
        if (n < 0) {
            readFailed = true;
            break;
        }
        if (!data.sendAll(piece.data(), static_cast<std::size_t>(n), options_.dataTimeout)) {
            sent = false;
            break;
        }
    }
    setDataFd(-1);
    data.close();
    if (readFailed)
        reply("451 Requested action aborted: local error in processing.");
    else if (!sent)
        reply("426 Connection closed; transfer aborted.");
    else
        reply("226 Transfer complete.");
}

void Conversation::doStor(const std::string& argument) {
    std::string ftpPath;
    fs::path local;
    if (!havePort_) {
        reply("425 Use PORT first.");
        return;
    }
    std::error_code ec;
    if (argument.empty() || !resolve(argument, ftpPath, local) || ftpPath == "/" ||
        !fs::is_directory(local.parent_path(), ec) || fs::is_directory(local, ec)) {
        havePort_ = false;
        reply("553 Could not create file.");
        return;
    }
    // The data goes to a hidden name beside the target and replaces it only when it arrived
    // whole, as a disk-backed server does: an aborted upload leaves the old file as it was.
    std::string partial =
        (local.parent_path() / ("." + local.filename().string() + ".XXXXXX")).string();
    common::FileDescriptor file(::mkostemp(partial.data(), O_CLOEXEC));
    if (!file.valid()) {
        havePort_ = false;
        reply("553 Could not create file.");
        return;
    }
    ::fchmod(file.fd(), 0644);
    struct Discard {
        std::string path;
        void now() {
            if (!path.empty())
                ::unlink(path.c_str());
            path.clear();
        }
        ~Discard() { now(); }
    } discard{partial};
    common::Socket data = openData();
    if (!data.valid()) {
        reply("425 Can't open data connection.");
        return;
    }
    setDataFd(data.fd());
    reply("150 Ok to send data.");
    std::vector<char> piece(kPiece);
    bool received = true;
    bool written = true;
    for (;;) {
        ssize_t n = data.receiveSome(piece.data(), piece.size(), options_.dataTimeout);
        if (n == 0)
            break;
        if (n < 0) {
            received = false;
            break;
        }
        const char* p = piece.data();
        std::size_t left = static_cast<std::size_t>(n);
        while (left > 0) {
            ssize_t w = ::write(file.fd(), p, left);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                written = false;
                break;
            }
            p += w;
            left -= static_cast<std::size_t>(w);
        }
        if (!written)
            break;
    }
    setDataFd(-1);
    data.close();
    if (!file.close())
        written = false;
    if (written && received) {
        written = ::rename(partial.c_str(), local.c_str()) == 0;
        if (written)
            discard.path.clear();
    }
    discard.now();  // gone before the client hears how the transfer ended
    if (!written)
        reply("451 Requested action aborted: local error in processing.");
    else if (!received)
        reply("426 Connection closed; transfer aborted.");
    else
        reply("226 Transfer complete.");
}

bool Conversation::dispatch(const std::string& verb, const std::string& argument) {
    if (verb == "QUIT") {
        reply("221 Goodbye.");
        quit_ = true;
        return true;
    }
    if (verb == "NOOP")
        return reply("200 NOOP ok.");
    if (verb == "SYST")
        return reply("215 UNIX Type: L8");
    if (verb == "USER") {
        loggedIn_ = false;
        userName_ = argument;
        if (options_.loginWithoutPassword && argument == options_.user) {
            loggedIn_ = true;
            userGiven_ = false;
            return reply("230 User logged in.");
        }
        userGiven_ = true;
        return reply("331 Password required for " + argument + ".");
    }
    if (verb == "PASS") {
        if (loggedIn_)
            return reply("503 Already logged in.");
        if (!userGiven_)
            return reply("503 Login with USER first.");
        userGiven_ = false;
        if (userName_ == options_.user && argument == options_.pin) {
            loggedIn_ = true;
            return reply("230 User logged in.");
        }
        return reply("530 Login incorrect.");
    }
    if (!loggedIn_)
        return reply("530 Please login with USER and PASS.");

    std::string ftpPath;
    fs::path local;
    std::error_code ec;
    if (verb == "PWD" || verb == "XPWD") {
        std::string quoted;
        for (char c : cwd_)
            quoted += (c == '"') ? std::string("\"\"") : std::string(1, c);
        return reply("257 \"" + quoted + "\" is the current directory.");
    }
    if (verb == "CWD" || verb == "XCWD" || verb == "CDUP" || verb == "XCUP") {
        const std::string target = (verb == "CDUP" || verb == "XCUP") ? ".." : argument;
        if (!resolve(target, ftpPath, local) || !fs::is_directory(local, ec))
            return reply("550 " + target + ": No such file or directory.");
        cwd_ = ftpPath;
        return reply("250 CWD command successful.");
    }
    if (verb == "TYPE") {
        const std::string t = upper(argument);
        if (t == "I" || t == "L 8")
            return reply("200 Type set to I.");
        if (t == "A" || t == "A N")
            return reply("200 Type set to A.");
        return reply("504 Command not implemented for that parameter.");
    }
    if (verb == "PORT") {
        doPort(argument);
        return true;
    }
    if (verb == "RETR") {
        doRetr(argument);
        return true;
    }
    if (verb == "STOR") {
        doStor(argument);
        return true;
    }
    if (unofferedVerbs().count(verb))
        return reply("502 Command not implemented.");
    return reply("500 '" + verb + "': command not understood.");
}

void Conversation::run() {
    if (!replyLines("220", options_.banner))
        return;
    while (!quit_ && !server_.stopping) {
        std::string line;
        if (!reader_.ReadLine(line)) {
            // A silent client or an over-long line: say why before hanging up.
            if (timedOut_)
                reply("421 Timeout.");
            else if (line.size() >= velkport::link::FtpReplyReader::kMaxLineLength)
                reply("500 Command line too long.");
            return;
        }
        std::size_t space = line.find(' ');
        const std::string verb = upper(line.substr(0, space));
        const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
        if (!dispatch(verb, argument))
            return;
    }
}

}  // namespace

struct FtpServer::Impl {
    explicit Impl(FtpServerOptions o) : shared(std::move(o)) {}
    void acceptLoop();
    void reapFinished();

    Shared shared;
    common::Socket listener;
    std::uint16_t port = 0;
    std::thread acceptThread;
};

void FtpServer::Impl::reapFinished() {
    std::list<std::unique_ptr<Session>> finished;
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        for (auto it = shared.sessions.begin(); it != shared.sessions.end();) {
            if ((*it)->done) {
                finished.push_back(std::move(*it));
                it = shared.sessions.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& s : finished)
        s->thread.join();
}

void FtpServer::Impl::acceptLoop() {
    while (!shared.stopping) {
        common::Socket client = listener.accept(std::chrono::hours(24));
        if (shared.stopping)
            break;
        if (!client.valid()) {
            if (errno == ETIMEDOUT || errno == EMFILE || errno == ENFILE || errno == ENOBUFS ||
                errno == ENOMEM) {
                // Out of descriptors for a moment: let finished sessions give theirs back.
                reapFinished();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            break;
        }
        reapFinished();
        std::unique_lock<std::mutex> lock(shared.mutex);
        if (static_cast<int>(shared.sessions.size()) >= shared.options.maxSessions) {
            lock.unlock();
            const char busy[] = "421 Too many connections.\r\n";
            client.sendAll(busy, sizeof busy - 1, std::chrono::milliseconds(1000));
            continue;
        }
        auto session = std::make_unique<Session>();
        session->control = std::move(client);
        Session* s = session.get();
        shared.sessions.push_back(std::move(session));
        s->thread = std::thread([this, s] {
            Conversation(shared, *s).run();
            std::lock_guard<std::mutex> guard(shared.mutex);
            s->control.shutdownBoth();
            s->done = true;
        });
    }
}

FtpServer::FtpServer(FtpServerOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

FtpServer::~FtpServer() {
    stop();
}

bool FtpServer::start(std::string* error) {
    if (impl_->acceptThread.joinable()) {
        if (error)
            *error = "already running";
        return false;
    }
    std::error_code ec;
    impl_->shared.canonicalRoot = fs::canonical(impl_->shared.options.root, ec);
    if (ec || !fs::is_directory(impl_->shared.canonicalRoot)) {
        if (error)
            *error = "no such folder: " + impl_->shared.options.root.string();
        return false;
    }
    impl_->listener = common::Socket::listenTcp(impl_->shared.options.address,
                                                impl_->shared.options.port, 16, error);
    if (!impl_->listener.valid())
        return false;
    impl_->port = impl_->listener.localPort();
    impl_->shared.stopping = false;
    impl_->acceptThread = std::thread([this] { impl_->acceptLoop(); });
    return true;
}

void FtpServer::stop() {
    if (!impl_->acceptThread.joinable())
        return;
    impl_->shared.stopping = true;
    // Shutting the sockets down wakes every thread that waits on one of them.
    impl_->listener.shutdownBoth();
    impl_->acceptThread.join();
    impl_->listener.close();
    std::list<std::unique_ptr<Session>> all;
    {
        std::lock_guard<std::mutex> lock(impl_->shared.mutex);
        for (auto& s : impl_->shared.sessions) {
            s->control.shutdownBoth();
            if (s->dataFd >= 0)
                ::shutdown(s->dataFd, SHUT_RDWR);
        }
        all.swap(impl_->shared.sessions);
    }
    for (auto& s : all)
        s->thread.join();
}

std::uint16_t FtpServer::port() const {
    return impl_->port;
}

}  // namespace receiversim
