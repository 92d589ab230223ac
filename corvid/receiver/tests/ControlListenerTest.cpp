// The control channel: requests from the configured receiver only, reassembled from pieces,
// refused when their stated length is out of range or they stop arriving.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>

#include <mutex>
#include <thread>

#include "common/ByteOrder.h"
#include "corvid/receiver/ControlListener.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/tests/MemoryShares.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/CorvidletService.h"

namespace corvid::receiver {
namespace {

using namespace std::chrono_literals;

class Calls : public ControlHandler {
  public:
    void Play(const std::string& destination, const std::filesystem::path& file) override {
        add("play " + destination + " " + file.filename().string());
    }
    void Steer(std::uint32_t command) override { add("key " + std::to_string(command)); }
    void Stop() override { add("stop"); }
    // Waits for n calls (or a short while when n is 0, to see that nothing comes).
    std::vector<std::string> wait(std::size_t n) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, n == 0 ? 300ms : 5s, [&] { return n > 0 && seen_.size() >= n; });
        return seen_;
    }

  private:
    void add(const std::string& s) {
        std::lock_guard lock(mutex_);
        seen_.push_back(s);
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> seen_;
};

struct ListenerFixture : ::testing::Test {
    ListenerFixture() : settings(dir / "config", &system), listener(calls, settings) {
        system.shares = {{"Films", 0, "video", (dir / "films").string(), 1}};
        std::filesystem::create_directories(dir / "films");
        fixtures::writeFile(dir / "films" / "a.avi", "x");
        settings.LoadShares();
        listener.SetTimeLimit(500ms);
    }
    // Open to the receiver at 127.0.0.1 only.
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(listener.Open("", 0, "127.0.0.1", &error)) << error;
    }
    // A connection to the listener from the given loopback address.
    common::Socket connect(const std::string& from = "127.0.0.1") {
        common::Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in a{};
        a.sin_family = AF_INET;
        ::inet_pton(AF_INET, from.c_str(), &a.sin_addr);
        EXPECT_EQ(::bind(s.fd(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        a.sin_port = htons(listener.port());
        ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        EXPECT_EQ(::connect(s.fd(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        int one = 1;
        ::setsockopt(s.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return s;
    }

    fixtures::TempDir dir;
    sharing::MemoryShares system;
    sharing::SharingSettings settings;
    Calls calls;
    ControlListener listener;
};

TEST_F(ListenerFixture, ARequestSplitOverSegmentsIsReassembled) {
    const auto bytes = ControlRequest::Build(ControlRequest::Play, "192.168.1.9", "Films/a.avi");
    common::Socket s = connect();
    std::size_t from = 0;
    for (std::size_t cut : {std::size_t{3}, std::size_t{17}, std::size_t{30}, bytes.size()}) {
        ASSERT_TRUE(s.sendAll(bytes.data() + from, cut - from, 1s));
        from = cut;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(calls.wait(1), std::vector<std::string>{"play 192.168.1.9 a.avi"});
}

TEST_F(ListenerFixture, StatedLengthsOutsideTheBufferAndStalledRequestsAreDropped) {
    for (std::uint32_t stated : {16385u, 5u}) {
        auto bytes = ControlRequest::Build(ControlRequest::Stop, "", "");
        common::storeBe32(bytes.data(), stated);
        common::Socket s = connect();
        s.sendAll(bytes.data(), bytes.size(), 1s);
    }
    common::Socket stalled = connect();
    const auto half = ControlRequest::Build(ControlRequest::Stop, "", "Films/a.avi");
    stalled.sendAll(half.data(), 10, 1s);
    EXPECT_TRUE(calls.wait(0).empty());
    // The listener still serves the next request after the stalled one is dropped.
    const auto key = ControlRequest::Build(6, "", "");
    connect().sendAll(key.data(), key.size(), 1s);
    EXPECT_EQ(calls.wait(1), std::vector<std::string>{"key 6"});
}

TEST_F(ListenerFixture, AnotherAddressThanTheReceiversIsClosedUnread) {
    const auto stop = ControlRequest::Build(ControlRequest::Stop, "", "");
    connect("127.0.0.2").sendAll(stop.data(), stop.size(), 1s);
    EXPECT_TRUE(calls.wait(0).empty());
    connect("127.0.0.1").sendAll(stop.data(), stop.size(), 1s);
    EXPECT_EQ(calls.wait(1), std::vector<std::string>{"stop"});
}

TEST_F(ListenerFixture, CommandsFromTheEmulatedCorvidletReachTheHandlerInTheirRange) {
    const std::string corvid = "127.0.0.1:" + std::to_string(listener.port());
    for (const char* line :
         {"control play 10.0.0.7 Films/a.avi", "control play 10.0.0.7 Films/../x",
          "control play ;rm 10.0.0.7 Films/a.avi", "control key 2", "control key 8",
          "control raw 10", "control stop"}) {
        std::string error;
        ASSERT_TRUE(receiversim::CorvidletService::SendControl(corvid, line, &error)) << error;
        std::this_thread::sleep_for(30ms);
    }
    EXPECT_EQ(calls.wait(4),
              (std::vector<std::string>{"play 10.0.0.7 a.avi", "key 2", "key 8", "stop"}));
}

}  // namespace
}  // namespace corvid::receiver
