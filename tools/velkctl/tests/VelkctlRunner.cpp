#include "tools/velkctl/tests/VelkctlRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace velkctl::testing {

using Clock = std::chrono::steady_clock;

std::filesystem::path VelkctlPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / ".." / "velkctl";
}

// Runs velkctl with the arguments and extra environment; kills it after `limit`.
Outcome RunVelkctl(const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& env, std::chrono::milliseconds limit,
                   std::chrono::milliseconds interruptAfter) {
    std::vector<std::string> args = {VelkctlPath().string()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        std::string s = *e;
        if (s.rfind("VELK_", 0) != 0)
            envText.push_back(s);
    }
    for (const auto& [k, v] : env)
        envText.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        int devnull = ::open("/dev/null", O_RDONLY);
        ::dup2(devnull, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    Outcome o;
    const auto deadline = Clock::now() + limit;
    auto interruptAt = interruptAfter.count() > 0 ? Clock::now() + interruptAfter : deadline;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        if (Clock::now() >= interruptAt) {
            ::kill(pid, SIGINT);
            interruptAt = deadline;
        }
        left = std::min(left, std::chrono::duration_cast<std::chrono::milliseconds>(
                                  interruptAt - Clock::now() + std::chrono::milliseconds(1)));
        int r = ::poll(fds, 2, static_cast<int>(left.count()));
        if ((r < 0 && errno == EINTR) || (r == 0 && Clock::now() < deadline))
            continue;
        if (r <= 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[4096];
            ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? o.out : o.err).append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds) {
        if (f.fd >= 0) {
            ::close(f.fd);
            ::kill(pid, SIGKILL);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return o;
}

}  // namespace velkctl::testing
