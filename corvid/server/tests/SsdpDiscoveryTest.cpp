// A real control point that we did not write (GUPnP, through python3-gi) finds the server by
// SSDP, browses it and fetches an item. SSDP needs multicast, so server and control point run
// in two network namespaces that the test creates, joined by a veth pair.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "corvid/server/tests/ServeProcess.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server::testing {
namespace {

using namespace std::chrono;

struct RunResult {
    int status = -1;  // exit code, -1 when it had to be killed or could not start
    std::string output;
};

// Runs a command, collecting stdout and stderr, killed when it outlives the limit.
RunResult run(const std::vector<std::string>& args, milliseconds limit = seconds(20)) {
    RunResult result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return result;
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        dup2(fds[1], STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    const auto deadline = steady_clock::now() + limit;
    bool killed = false;
    while (true) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        result.output.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!killed && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}

bool ok(const std::vector<std::string>& args) {
    return run(args, seconds(10)).status == 0;
}

// Two namespaces joined by a veth pair, removed again whatever happens.
class NamespacePair {
  public:
    NamespacePair() {
        const std::string tag = std::to_string(getpid() % 100000) + std::to_string(rand() % 100);
        server = "cvds" + tag;
        client = "cvdc" + tag;
        serverIf = "cvs" + tag;
        clientIf = "cvc" + tag;
    }
    ~NamespacePair() {
        if (madeServer_)
            run({"ip", "netns", "del", server});
        if (madeClient_)
            run({"ip", "netns", "del", client});
    }

    // Empty on success, else what failed.
    std::string create() {
        if (!(madeServer_ = ok({"ip", "netns", "add", server})))
            return "ip netns add";
        if (!(madeClient_ = ok({"ip", "netns", "add", client})))
            return "ip netns add";
        for (const auto& ns : {server, client}) {
            // No IPv6: its tentative link-local addresses make the stack's bind fail at first.
            if (!ok({"ip", "netns", "exec", ns, "sysctl", "-qw", "net.ipv6.conf.all.disable_ipv6=1",
                     "net.ipv6.conf.default.disable_ipv6=1"}))
                return "sysctl in namespace";
        }
        if (!ok({"ip", "link", "add", serverIf, "netns", server, "type", "veth", "peer", "name",
                 clientIf, "netns", client}))
            return "ip link add veth";
        const struct {
            const std::string& ns;
            const std::string& dev;
            const char* address;
        } ends[] = {{server, serverIf, "10.231.77.1/24"}, {client, clientIf, "10.231.77.2/24"}};
        for (const auto& e : ends) {
            if (!ok({"ip", "-n", e.ns, "addr", "add", e.address, "dev", e.dev}) ||
                !ok({"ip", "-n", e.ns, "link", "set", e.dev, "up"}) ||
                !ok({"ip", "-n", e.ns, "link", "set", "lo", "up"}) ||
                !ok({"ip", "-n", e.ns, "route", "add", "224.0.0.0/4", "dev", e.dev}))
                return "addresses and routes";
        }
        return {};
    }

    std::string server, client, serverIf, clientIf;

  private:
    bool madeServer_ = false;
    bool madeClient_ = false;
};

TEST(SsdpDiscovery, AGUPnPControlPointFindsBrowsesAndFetches) {
    if (geteuid() != 0)
        GTEST_SKIP() << "network namespaces need root; SSDP discovery not tested";
    if (access("/usr/bin/python3", X_OK) != 0 ||
        run({"/usr/bin/python3", "-c",
             "import gi; gi.require_version('GUPnP','1.6'); gi.require_version('GUPnPAV','1.0')"})
                .status != 0)
        GTEST_SKIP() << "python3-gi with GUPnP 1.6 is not installed";
    NamespacePair ns;
    const std::string failed = ns.create();
    if (!failed.empty())
        GTEST_SKIP() << "cannot create network namespaces here (" << failed
                     << "); SSDP discovery not tested";

    fixtures::TempDir dir;
    const auto music = dir / "music";
    std::filesystem::create_directories(music);
    fixtures::writeFile(music / "Only Song.mp3", fixtures::randomBytes(50000, 3));
    // The folder must be readable from the other namespace's process (same file system).
    ServeProcess server({"--interface", ns.serverIf, "--share", "music:" + music.string()},
                        {"ip", "netns", "exec", ns.server});
    ASSERT_TRUE(server.waitReady()) << server.output();
    EXPECT_EQ(server.descriptionUrl(),
              "http://10.231.77.1:" + std::to_string(server.port()) + "/description.xml");

    const RunResult peer =
        run({"ip", "netns", "exec", ns.client, "/usr/bin/python3",
             std::string(VELK_SOURCE_DIR) + "/corvid/server/tests/peers/gupnp_browse.py",
             ns.clientIf, (music / "Only Song.mp3").string(), "20"},
            seconds(40));
    EXPECT_EQ(peer.status, 0) << peer.output;
    EXPECT_NE(peer.output.find("OK Only Song http://10.231.77.1:"), std::string::npos)
        << peer.output;
    EXPECT_NE(peer.output.find("/content/audio/0000000000000002/Only%20Song.mp3"),
              std::string::npos)
        << peer.output;
    EXPECT_NE(server.stop(), -1);
}

}  // namespace
}  // namespace corvid::server::testing
