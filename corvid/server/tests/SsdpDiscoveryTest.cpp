// A real control point that we did not write (GUPnP, through python3-gi) finds the server by
// SSDP, browses it and fetches an item. SSDP needs multicast, so server and control point run
// in two network namespaces that the test creates, joined by a veth pair.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "corvid/server/tests/ServeProcess.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server::testing {
namespace {

using namespace std::chrono;

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
        // The server's side keeps IPv6: its link-local address is still tentative when the
        // server starts, which the server must wait out.
        if (!ok({"ip", "netns", "exec", client, "sysctl", "-qw", "net.ipv6.conf.all.disable_ipv6=1",
                 "net.ipv6.conf.default.disable_ipv6=1"}))
            return "sysctl in namespace";
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
