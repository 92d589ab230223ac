// The configuration channel byte for byte, as the emulated receiver's corvidlet stores it.

#include <gtest/gtest.h>
#include <unistd.h>

#include "corvid/receiver/CorvidletLink.h"
#include "corvid/sharing/PasswordScrambler.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/tests/MemoryShares.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/CorvidletService.h"

namespace corvid::receiver {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Recorder : public LinkObserver {
  public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SetStatus(LinkStatus s) override { status = s; }
    std::vector<std::string> messages;
    LinkStatus status = LinkStatus::Offline;
};

// A message as the tables lay it out: "VELK", the little-endian command, then text fields.
Bytes message(std::uint32_t command, std::vector<std::pair<std::size_t, std::string>> fields) {
    Bytes m(1024, 0);
    m[0] = 'V', m[1] = 'E', m[2] = 'L', m[3] = 'K';
    m[4] = static_cast<std::uint8_t>(command);
    for (const auto& [offset, text] : fields)
        std::copy(text.begin(), text.end(), m.begin() + static_cast<long>(offset));
    return m;
}

struct LinkFixture : ::testing::Test {
    LinkFixture() : corvidlet(dir / "receiver", "127.0.0.1"), settings(dir / "config", &system) {
        std::filesystem::create_directories(dir / "media");
        settings.receiverAddress = "127.0.0.1";
        settings.user = "pvr";
        settings.password = "seventeen chars!!";
    }
    void add(const char* name, const char* type) {
        sharing::ShareRecord r{name, 0, type, (dir / "media").string(), 1};
        ASSERT_EQ(settings.AddShare(r), sharing::ShareCheck::Added);
    }
    int send(bool drop, bool accountOk = true) {
        std::string error;
        EXPECT_TRUE(corvidlet.start(0, &error)) << error;
        CorvidletLink link(
            settings,
            [&](const std::string&, const std::string&, std::string&) { return accountOk; },
            observer);
        link.SetPort(corvidlet.port());
        const int rc = drop ? link.SendDropConfiguration(true) : link.SendConfiguration(true);
        if (rc == 1) {
            EXPECT_TRUE(corvidlet.waitForSessions(1, std::chrono::seconds(5)));
        }
        corvidlet.stop();
        return rc;
    }
    Bytes session() const {
        const std::string raw =
            fixtures::readFile(dir / "receiver" / "corvidlet" / "session-1.bin");
        return Bytes(raw.begin(), raw.end());
    }

    fixtures::TempDir dir;
    receiversim::CorvidletService corvidlet;
    sharing::MemoryShares system;
    sharing::SharingSettings settings;
    Recorder observer;
};

TEST_F(LinkFixture, ThreeSharesGoAsHostNameThreeShareEntriesAndTheEnd) {
    add("Tunes", "music");
    add("Films", "video");
    add("Rec", "record");
    ASSERT_EQ(send(false), 1);
    EXPECT_EQ(observer.status, LinkStatus::Online);
    const Bytes raw = session();
    ASSERT_EQ(raw.size(), 5 * 1024u);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 1024), message(18, {{8, host}}));

    const std::string key(raw.begin() + 1024 + 28, raw.begin() + 1024 + 60);
    // The password in two blocks that the key unlocks.
    const std::string cipher(raw.begin() + 1024 + 60, raw.begin() + 1024 + 124);
    EXPECT_EQ(sharing::PasswordScrambler::Unscramble(key, cipher), "seventeen chars!!");
    const std::string ip = settings.hostAddress;
    const std::pair<const char*, const char*> shares[] = {
        {"Tunes", "music"}, {"Films", "vlc"}, {"Rec", "record"}};
    for (std::size_t i = 0; i < 3; ++i) {
        const Bytes expected = message(16, {{8, "pvr"},
                                            {28, key},
                                            {60, cipher},
                                            {316, host},
                                            {572, ip},
                                            {587, shares[i].first},
                                            {599, shares[i].second}});
        const auto at = raw.begin() + static_cast<long>((i + 1) * 1024);
        EXPECT_EQ(Bytes(at, at + 1024), expected) << shares[i].first;
    }
    EXPECT_EQ(Bytes(raw.begin() + 4 * 1024, raw.end()), message(25, {}));
}

TEST_F(LinkFixture, DropConfigurationIsOneBareMessage) {
    ASSERT_EQ(send(true), 1);
    EXPECT_EQ(session(), message(24, {}));
}

TEST_F(LinkFixture, FailuresSayWhyAndLeaveTheLinkOffline) {
    EXPECT_EQ(send(false), 0);
    EXPECT_EQ(observer.messages.back(), "There is no shared folder");
    add("Tunes", "music");
    EXPECT_EQ(send(false, false), 0);
    EXPECT_EQ(observer.messages.back(), "ID or Password is faild");
    EXPECT_EQ(observer.status, LinkStatus::Offline);
    CorvidletLink link(
        settings, [](const std::string&, const std::string&, std::string&) { return true; },
        observer);
    link.SetPort(1);  // nobody listens there
    EXPECT_EQ(link.SendConfiguration(true), 0);
    EXPECT_EQ(observer.messages.back(), "Check corvidlet or network connection.  errono=111");
    EXPECT_EQ(corvidlet.sessionCount(), 0);
}

TEST(CorvidletLinkAccount, APasswordTooLongForItsFieldIsNotSentCutShort) {
    ConfigMessage entry(ConfigMessage::ShareEntry);
    CorvidletLink::NetworkIdentity pc{"pc", "192.168.1.2"};
    EXPECT_TRUE(CorvidletLink::FillAccount(entry, "pvr", std::string(128, 'p'), pc));
    EXPECT_EQ(entry.Text(ConfigMessage::kCipherOffset, ConfigMessage::kCipherSize).size(), 256u);
    ConfigMessage tooLong(ConfigMessage::ShareEntry);
    EXPECT_FALSE(CorvidletLink::FillAccount(tooLong, "pvr", std::string(129, 'p'), pc));
    EXPECT_EQ(tooLong.Text(ConfigMessage::kCipherOffset, ConfigMessage::kCipherSize), "");
    EXPECT_EQ(tooLong.Text(ConfigMessage::kPcAddressOffset, 15), "192.168.1.2");
}

}  // namespace
}  // namespace corvid::receiver
