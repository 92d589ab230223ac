#include "corvid/sharing/CommandRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "common/FileDescriptor.h"

extern char** environ;

namespace corvid::sharing {

namespace {

using common::FileDescriptor;
using Clock = std::chrono::steady_clock;

bool makePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd = FileDescriptor(fds[0]);
    writeEnd = FileDescriptor(fds[1]);
    return true;
}

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> out;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos && extra.count(entry.substr(0, eq)) != 0)
            continue;
        out.push_back(entry);
    }
    for (const auto& [name, value] : extra)
        out.push_back(name + "=" + value);
    return out;
}

std::string lastLine(const std::string& text) {
    std::istringstream in(text);
    std::string line, last;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            last = line;
    }
    return last;
}

}  // namespace

std::string CommandResult::reason() const {
    if (!started)
        return "the program could not be started";
    std::string r = lastLine(errors);
    return r.empty() ? lastLine(output) : r;
}

bool programOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const auto candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

CommandResult CommandRunner::Run(const std::vector<std::string>& argv, const std::string& input,
                                 const std::map<std::string, std::string>& env) {
    CommandResult result;
    if (argv.empty())
        return result;
    FileDescriptor inRead, inWrite, outRead, outWrite, errRead, errWrite;
    if (!makePipe(inRead, inWrite) || !makePipe(outRead, outWrite) || !makePipe(errRead, errWrite))
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inRead.fd(), 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.fd(), 1);
    posix_spawn_file_actions_adddup2(&actions, errWrite.fd(), 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    // The program starts with no signal blocked and SIGPIPE at its default, whatever the caller
    // set up for itself.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &pipeSignal);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::vector<std::string> envText = environmentWith(env);
    std::vector<char*> envp;
    for (const auto& e : envText)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    inRead.close();
    outWrite.close();
    errWrite.close();
    if (rc != 0)
        return result;
    result.started = true;
    // A program that exits before reading all its input must not end this process with
    // SIGPIPE: the signal is held back while feeding it and dropped afterwards.
    sigset_t callerMask;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &callerMask);

    // Standard input, output and error are served together so that no pipe fills up while the
    // program waits for another one.
    std::size_t written = 0;
    if (input.empty())
        inWrite.close();
    else
        ::fcntl(inWrite.fd(), F_SETFL, O_NONBLOCK);
    const auto deadline = Clock::now() + timeLimit;
    bool timedOut = false;
    while (outRead.valid() || errRead.valid()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd p[3] = {
            {outRead.fd(), POLLIN, 0}, {errRead.fd(), POLLIN, 0}, {inWrite.fd(), POLLOUT, 0}};
        if (::poll(p, 3, static_cast<int>(left)) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (inWrite.valid() && (p[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t n = ::write(inWrite.fd(), input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<std::size_t>(n);
            if (n < 0 || written == input.size())
                inWrite.close();
        }
        FileDescriptor* sources[2] = {&outRead, &errRead};
        std::string* sinks[2] = {&result.output, &result.errors};
        for (int i = 0; i < 2; ++i) {
            if (!sources[i]->valid() || (p[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            char chunk[4096];
            const ssize_t n = ::read(sources[i]->fd(), chunk, sizeof chunk);
            if (n > 0 && sinks[i]->size() < 1024 * 1024)
                sinks[i]->append(chunk, static_cast<std::size_t>(n));
            else if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
                sources[i]->close();
        }
    }
    // A program that closed its output may still be running: it too gets the time limit.
    int status = 0;
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, timedOut ? 0 : WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR))
            break;
        if (r == 0 && Clock::now() >= deadline) {
            timedOut = true;
            ::kill(pid, SIGKILL);
        } else if (r == 0) {
            ::usleep(10000);
        }
    }
    inWrite.close();
    const timespec noWait{0, 0};
    while (sigismember(&callerMask, SIGPIPE) == 0 &&
           sigtimedwait(&pipeSignal, nullptr, &noWait) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &callerMask, nullptr);
    result.exitCode = (!timedOut && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    if (timedOut)
        result.errors += "\nthe program did not finish in time";
    return result;
}

}  // namespace corvid::sharing
