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

// Two namespaces joined by a veth pair, removed again whatever happens. The server's side keeps
// IPv6: its link-local address is still tentative when the server starts, which it must wait out.
struct NamespacePair {
    const std::string tag = std::to_string(getpid() % 100000);
    const std::string server = "cvds" + tag, client = "cvdc" + tag;
    const std::string serverIf = "cvs" + tag, clientIf = "cvc" + tag;

    ~NamespacePair() {
        run({"ip", "netns", "del", server});
        run({"ip", "netns", "del", client});
    }
    bool create() const {
        const char* script =
            "ip netns add $1; ip netns add $2; ip netns exec $2 sysctl -qw "
            "net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1; "
            "ip link add $3 netns $1 type veth peer name $4 netns $2; "
            "ip -n $1 addr add 10.231.77.1/24 dev $3; ip -n $2 addr add 10.231.77.2/24 dev $4; "
            "ip -n $1 link set $3 up; ip -n $1 link set lo up; "
            "ip -n $2 link set $4 up; ip -n $2 link set lo up; "
            "ip -n $1 route add 224.0.0.0/4 dev $3; ip -n $2 route add 224.0.0.0/4 dev $4";
        return run({"sh", "-ec", script, "sh", server, client, serverIf, clientIf}, seconds(20))
                   .status == 0;
    }
};

TEST(SsdpDiscovery, AGUPnPControlPointFindsBrowsesAndFetches) {
    if (geteuid() != 0)
        GTEST_SKIP() << "network namespaces need root; SSDP discovery not tested";
    if (access("/usr/bin/python3", X_OK) != 0 ||
        run({"/usr/bin/python3", "-c",
             "import gi; gi.require_version('GUPnP','1.6'); gi.require_version('GUPnPAV','1.0')"})
                .status != 0)
        GTEST_SKIP() << "python3-gi with GUPnP 1.6 is not installed";
    const NamespacePair ns;
    if (!ns.create())
        GTEST_SKIP() << "cannot create network namespaces here; SSDP discovery not tested";

    fixtures::TempDir dir;
    const auto music = dir / "music";
    std::filesystem::create_directories(music);
    fixtures::writeFile(music / "Only Song.mp3", fixtures::randomBytes(50000, 3));
    // The folder must be readable from the other namespace's process (same file system).
    ServeProcess server({"--interface", ns.serverIf, "--share", "music:" + music.string()},
                        {"ip", "netns", "exec", ns.server});
    ASSERT_TRUE(server.waitReady()) << server.output();
    EXPECT_EQ(server.descriptionUrl().rfind("http://10.231.77.1:", 0), 0u);

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
