#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <array>
#include <cstring>

#include "common/Socket.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/shell/CorvidLink.h"

using velkport::shell::CorvidLink;

TEST(CorvidLinkTest, RunningCorvidReceivesMessageNumberAddressAndOneBigEndian) {
    fixtures::TempDir dir;
    const auto path = dir / "corvid.sock";
    common::Socket listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_TRUE(listener.valid());
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    ASSERT_EQ(::bind(listener.fd(), reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ASSERT_EQ(::listen(listener.fd(), 1), 0);

    ASSERT_TRUE(CorvidLink::SendAddress(0xC0A80114u, path));
    common::Socket peer = listener.accept(common::Millis(2000));
    ASSERT_TRUE(peer.valid());
    std::array<std::uint8_t, 12> got{};
    ASSERT_TRUE(peer.receiveExactly(got.data(), got.size(), common::Millis(2000)));
    EXPECT_EQ(got,
              (std::array<std::uint8_t, 12>{0, 0, 0x17, 0x55, 0xC0, 0xA8, 0x01, 0x14, 0, 0, 0, 1}));
}

TEST(CorvidLinkTest, NoCorvidListeningMeansStartItInstead) {
    fixtures::TempDir dir;
    EXPECT_FALSE(CorvidLink::SendAddress(1, dir / "corvid.sock"));
    fixtures::writeFile(dir / "stale.sock", "");  // a plain file where the socket should be
    EXPECT_FALSE(CorvidLink::SendAddress(1, dir / "stale.sock"));
}
