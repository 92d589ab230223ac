#include "corvid/sharing/VlcProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "common/FileDescriptor.h"

extern char** environ;

namespace corvid::sharing {

namespace {

using std::chrono::milliseconds;

common::Socket connectUnix(const std::filesystem::path& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string p = path.string();
    if (p.empty() || p.size() >= sizeof(addr.sun_path))
        return {};
    std::memcpy(addr.sun_path, p.c_str(), p.size() + 1);
    common::Socket sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!sock.valid() ||
        ::connect(sock.fd(), reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0)
        return {};
    return sock;
}

std::string userOfUid(uid_t uid) {
    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return {};
    return pw.pw_name;
}

// What the child needs to become another user, looked up before fork.
struct Identity {
    bool change = false;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string home;
};

bool lookUp(const std::string& user, Identity& id, std::string* error) {
    if (user.empty())
        return true;
    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwnam_r(user.c_str(), &pw, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        if (error != nullptr)
            *error = "no user \"" + user + "\" to run VLC as";
        return false;
    }
    id.change = pw.pw_uid != ::geteuid();
    id.uid = pw.pw_uid;
    id.gid = pw.pw_gid;
    id.home = pw.pw_dir;
    std::error_code ec;
    if (!std::filesystem::is_directory(id.home, ec))
        id.home = "/tmp";  // VLC wants a home for its caches
    return true;
}

}  // namespace

VlcProcess::~VlcProcess() {
    Stop();
}

bool VlcProcess::ChooseUser(std::string& user, std::string* error) {
    user.clear();
    if (::geteuid() != 0)
        return true;
    for (const char* name : {"CORVID_VLC_USER", "SUDO_USER"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0' && std::strcmp(value, "root") != 0) {
            user = value;
            return true;
        }
    }
    std::ifstream loginUid("/proc/self/loginuid");
    long uid = -1;
    if (loginUid >> uid && uid > 0 && uid != 4294967295L) {
        user = userOfUid(static_cast<uid_t>(uid));
        if (!user.empty())
            return true;
    }
    if (error != nullptr)
        *error =
            "VLC does not run as root: set CORVID_VLC_USER to the user it should run as, or "
            "start corvid as that user";
    return false;
}

bool VlcProcess::Running() const {
    std::lock_guard<std::mutex> lock(state_);
    return !exited_;
}

pid_t VlcProcess::pid() const {
    std::lock_guard<std::mutex> lock(state_);
    return exited_ ? -1 : pid_;
}

void VlcProcess::watch(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::lock_guard<std::mutex> lock(state_);
    exited_ = true;
    std::error_code ec;
    if (!temporarySubtitle_.empty())
        std::filesystem::remove(temporarySubtitle_, ec);
    temporarySubtitle_.clear();
    if (!socketPath_.empty())
        std::filesystem::remove(socketPath_, ec);
    ended_.notify_all();
}

bool VlcProcess::exitedWithin(milliseconds limit) {
    std::unique_lock<std::mutex> lock(state_);
    return ended_.wait_for(lock, limit, [this] { return exited_; });
}

bool VlcProcess::Start(const Launch& launch, std::string* error) {
    std::lock_guard<std::mutex> op(operation_);
    stopLocked();
    auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = why;
        std::error_code ec;
        if (!launch.temporarySubtitle.empty())
            std::filesystem::remove(launch.temporarySubtitle, ec);
        return false;
    };
    Identity id;
    if (!lookUp(launch.runAs, id, error))
        return fail(error != nullptr ? *error : "");
    std::error_code ec;
    std::filesystem::remove(launch.controlSocket, ec);

    // Everything the child uses is made before fork: after it only system calls run.
    std::vector<std::string> args = {launch.program,   "-I",          "dummy",
                                     "--no-dbus",      "--extraintf", "oldrc",
                                     "--rc-fake-tty",  "--rc-unix",   launch.controlSocket.string(),
                                     "--play-and-exit"};
    args.insert(args.end(), launch.options.begin(), launch.options.end());
    args.push_back(launch.playlist.string());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        if (id.change && (entry.starts_with("HOME=") || entry.starts_with("USER=") ||
                          entry.starts_with("LOGNAME=") || entry.starts_with("XDG_RUNTIME_DIR=")))
            continue;
        envText.emplace_back(entry);
    }
    if (id.change) {
        envText.push_back("HOME=" + id.home);
        envText.push_back("USER=" + launch.runAs);
        envText.push_back("LOGNAME=" + launch.runAs);
    }
    std::vector<char*> envp;
    for (auto& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string logFile = launch.logFile.empty() ? "/dev/null" : launch.logFile.string();

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return fail("no pipe to start VLC: " + std::string(std::strerror(errno)));
    common::FileDescriptor readEnd(report[0]);
    common::FileDescriptor writeEnd(report[1]);
    const pid_t child = ::fork();
    if (child < 0)
        return fail("VLC could not be started: " + std::string(std::strerror(errno)));
    if (child == 0) {
        // The child: its own process group, no terminal input, output to the log.
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (in >= 0)
            ::dup2(in, 0);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (id.change &&
            (::setgroups(0, nullptr) != 0 || ::setgid(id.gid) != 0 || ::setuid(id.uid) != 0)) {
            const int e = errno;
            (void)!::write(report[1], &e, sizeof e);
            ::_exit(127);
        }
        ::execvpe(argv[0], argv.data(), envp.data());
        const int e = errno;
        (void)!::write(report[1], &e, sizeof e);
        ::_exit(127);
    }
    writeEnd.close();
    {
        std::lock_guard<std::mutex> lock(state_);
        pid_ = child;
        exited_ = false;
        temporarySubtitle_ = launch.temporarySubtitle;
        socketPath_ = launch.controlSocket;
    }
    watcher_ = std::thread([this, child] { watch(child); });

    int childErrno = 0;
    ssize_t n;
    while ((n = ::read(readEnd.fd(), &childErrno, sizeof childErrno)) < 0 && errno == EINTR) {
    }
    if (n == static_cast<ssize_t>(sizeof childErrno)) {
        stopLocked();
        return fail("VLC (" + launch.program +
                    ") could not be run: " + std::string(std::strerror(childErrno)));
    }
    const auto deadline = std::chrono::steady_clock::now() + startLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (exitedWithin(milliseconds(50))) {
            stopLocked();
            return fail("VLC ended as it started; see " + logFile);
        }
        control_ = connectUnix(launch.controlSocket);
        if (control_.valid())
            return true;
    }
    stopLocked();
    return fail("VLC did not open its control socket in time; see " + logFile);
}

bool VlcProcess::Command(std::string_view line, std::string* reply) {
    std::lock_guard<std::mutex> op(operation_);
    if (!Running() || !control_.valid())
        return false;
    // Drop what VLC has said so far (prompts, status lines) so its buffer never fills.
    char sink[4096];
    while (control_.receiveSome(sink, sizeof sink, milliseconds(1)) > 0) {
    }
    std::string text(line);
    text += "\n";
    if (!control_.sendAll(text.data(), text.size(), milliseconds(2000)))
        return false;
    if (reply == nullptr)
        return true;
    // VLC ends its answer with "VERB: returned N"; an answer to an earlier command may still
    // come first.
    const std::string done = std::string(line.substr(0, line.find(' '))) + ": returned";
    reply->clear();
    const auto deadline = std::chrono::steady_clock::now() + milliseconds(3000);
    while (reply->find(done) == std::string::npos && reply->size() < 65536 &&
           std::chrono::steady_clock::now() < deadline) {
        const ssize_t n = control_.receiveSome(sink, sizeof sink, milliseconds(100));
        if (n == 0)
            return false;
        if (n > 0)
            reply->append(sink, static_cast<std::size_t>(n));
    }
    return reply->find(done) != std::string::npos;
}

void VlcProcess::Stop() {
    std::lock_guard<std::mutex> op(operation_);
    stopLocked();
}

void VlcProcess::stopLocked() {
    if (!watcher_.joinable())
        return;
    pid_t child;
    {
        std::lock_guard<std::mutex> lock(state_);
        child = pid_;
    }
    if (!exitedWithin(milliseconds(0))) {
        static constexpr char kQuit[] = "quit\n";
        if (control_.valid())
            control_.sendAll(kQuit, sizeof kQuit - 1, milliseconds(1000));
        if (!exitedWithin(control_.valid() ? quitLimit : milliseconds(0))) {
            ::kill(-child, SIGTERM);
            ::kill(child, SIGTERM);
            if (!exitedWithin(milliseconds(2000))) {
                ::kill(-child, SIGKILL);
                ::kill(child, SIGKILL);
            }
        }
    }
    watcher_.join();  // the watcher ends once the child is reaped
    control_.close();
}

}  // namespace corvid::sharing
