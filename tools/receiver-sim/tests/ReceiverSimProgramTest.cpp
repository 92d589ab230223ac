// The receiver-sim program as a process: it says "ready" once it listens, serves, and ends with
// exit status 0 on SIGTERM.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <regex>
#include <string>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReceiverLink.h"

using namespace std::chrono_literals;

namespace {

// Reads from fd until text holds a full line or the time is up.
bool readLine(int fd, std::string& buffer, std::string& line, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto nl = buffer.find('\n');
        if (nl != std::string::npos) {
            line = buffer.substr(0, nl);
            buffer.erase(0, nl + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char chunk[256];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

// The child is always reaped: politely when the test got that far, by force otherwise.
struct Child {
    pid_t pid = -1;
    ~Child() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    // Waits for the exit; -1 when it did not end in time.
    int waitExit(std::chrono::milliseconds limit) {
        // A process descriptor becomes readable when the child ends.
        const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        if (pidfd < 0)
            return -1;
        pollfd p{pidfd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(limit.count()));
        ::close(pidfd);
        int status = 0;
        if (ready <= 0 || ::waitpid(pid, &status, WNOHANG) != pid)
            return -1;
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

}  // namespace

TEST(ReceiverSimProgram, SaysReadyServesAndStopsOnSigterm) {
    fixtures::TempDir dir;
    int out[2], err[2];
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(err, O_CLOEXEC), 0);
    Child child;
    child.pid = ::fork();
    ASSERT_GE(child.pid, 0);
    if (child.pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        const std::string root = dir.path().string();
        ::execl(RECEIVER_SIM_PROGRAM, "receiver-sim", "--root", root.c_str(), "--address",
                "127.0.0.1", "--ftp-port", "0", "--port-base", "0", "--busy", "3", "--pin", "1234",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);

    std::string outBuffer, errBuffer, line, ports;
    ASSERT_TRUE(readLine(out[0], outBuffer, line, 10000ms)) << "no ready line";
    EXPECT_EQ(line, "ready");
    ASSERT_TRUE(readLine(err[0], errBuffer, ports, 2000ms));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(ports, m, std::regex("command channels (\\d+)-(\\d+)"))) << ports;
    const auto base = static_cast<std::uint16_t>(std::stoi(m[1]));

    velkport::link::ChannelTable table;
    fixtures::RecordingPrompter prompter;
    table.InitialiseChannels("127.0.0.1", base);
    table.setTimeLimit(3000ms);
    velkport::link::ReceiverLink link(table, prompter);
    bool answered = false;
    EXPECT_TRUE(link.InUse(3, &answered));
    EXPECT_TRUE(answered);
    EXPECT_FALSE(link.InUse(2, &answered));
    EXPECT_TRUE(answered);

    ASSERT_EQ(::kill(child.pid, SIGTERM), 0);
    EXPECT_EQ(child.waitExit(10000ms), 0);
    EXPECT_FALSE(readLine(out[0], outBuffer, line, 1000ms)) << "exactly one line on stdout";
    ::close(out[0]);
    ::close(err[0]);
}

TEST(ReceiverSimProgram, RefusesToStartWithoutARoot) {
    Child child;
    child.pid = ::fork();
    ASSERT_GE(child.pid, 0);
    if (child.pid == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 2);
        ::execl(RECEIVER_SIM_PROGRAM, "receiver-sim", "--port-base", "0",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    EXPECT_EQ(child.waitExit(10000ms), 2);
}
