// Shares and the receiver's account on Samba: the share list read back from `net usershare`,
// and, as root, a real smbd on loopback with a private configuration.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "common/Socket.h"
#include "corvid/sharing/SambaAccount.h"
#include "corvid/sharing/SambaShares.h"
#include "corvid/sharing/SharingSettings.h"
#include "tests/fixtures/ChildProcess.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::sharing {
namespace {

using namespace std::chrono_literals;

TEST(SambaShares, OnlySharesCommentedWithAMediaTypeAreCorvids) {
    const auto shares = SambaShares::ParseUsershareInfo(
        "[tunes]\npath=/srv/music\ncomment=MUSIC\nusershare_acl=VM\\pvr:R,\nguest_ok=n\n\n"
        "[rec]\npath=/srv/rec\ncomment=record\nusershare_acl=Everyone:F,\nguest_ok=n\n\n"
        "[docs]\npath=/srv/docs\ncomment=my documents\nusershare_acl=Everyone:F,\n\n"
        "[waytoolongname]\npath=/srv/x\ncomment=video\n\n"
        "[player]\npath=/srv/v\ncomment=vlc\nusershare_acl=Everyone:R,\n");
    ASSERT_EQ(shares.size(), 3u);
    EXPECT_EQ(shares[0].name, "tunes");
    EXPECT_EQ(shares[0].mediaTypeName, "MUSIC");
    EXPECT_EQ(shares[0].readOnly, 1);
    EXPECT_EQ(shares[1].readOnly, 0);
    EXPECT_EQ(shares[2].name, "player");
    EXPECT_TRUE(SambaShares::ParseUsershareInfo("").empty());
}

TEST(SambaAccount, UserNamesThatCouldBeReadAsOptionsOrPathsAreRefused) {
    for (const char* bad : {"", "-x", "a b", "a:b", "a%b", "../x", "twentyonecharacters12"})
        EXPECT_FALSE(SambaAccount::ValidUserName(bad)) << bad;
    EXPECT_TRUE(SambaAccount::ValidUserName("pvr_user-1.a"));
}

// smbd on 127.0.0.1:445 with its own folders and configuration; stopped and reaped at the end.
// smbd signals its whole process group when it ends: setsid gives it a group of its own.
class PrivateSamba {
  public:
    explicit PrivateSamba(const std::filesystem::path& dir)
        : conf_(Configure(dir)),
          smbd_({"/usr/bin/setsid", "smbd", "--foreground", "--no-process-group", "-s", conf_}) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!ready_ && std::chrono::steady_clock::now() < deadline && smbd_.wait(50ms) == -1)
            ready_ = common::Socket::connectTcp("127.0.0.1", 445, 200ms).valid();
    }
    ~PrivateSamba() {
        smbd_.signal(SIGTERM);
        smbd_.wait(std::chrono::seconds(10));
    }
    bool ready() const { return ready_; }
    const std::string& conf() const { return conf_; }

  private:
    static std::string Configure(const std::filesystem::path& dir) {
        std::filesystem::create_directories(dir / "usershares");
        ::chmod((dir / "usershares").c_str(), 01770);
        std::string text =
            "[global]\n  interfaces = lo\n  bind interfaces only = yes\n"
            "  disable netbios = yes\n  smb ports = 445\n  map to guest = Never\n"
            "  usershare max shares = 100\n  usershare owner only = no\n"
            "  log file = " +
            (dir / "log").string() + "\n";
        for (const char* key : {"private dir", "lock directory", "state directory",
                                "cache directory", "pid directory", "ncalrpc dir"}) {
            const auto folder = dir / std::string(key).substr(0, std::string(key).find(' '));
            std::filesystem::create_directories(folder);
            text += std::string("  ") + key + " = " + folder.string() + "\n";
        }
        text += "  usershare path = " + (dir / "usershares").string() + "\n";
        fixtures::writeFile(dir / "smb.conf", text);
        return (dir / "smb.conf").string();
    }

    std::string conf_;
    fixtures::ChildProcess smbd_;
    bool ready_ = false;
};

TEST(SambaOnLoopback, CorvidsShareAndAccountLetTheReceiverInAndAWrongPasswordOut) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a private smbd on port 445 needs root";
    for (const char* program : {"smbd", "net", "smbpasswd", "smbclient", "setfacl", "useradd"}) {
        if (!programOnPath(program))
            GTEST_SKIP() << program << " is missing (install samba, smbclient and acl)";
    }
    if (common::Socket::connectTcp("127.0.0.1", 445, std::chrono::milliseconds(200)).valid())
        GTEST_SKIP() << "another SMB server already listens on 127.0.0.1:445";
    fixtures::TempDir dir;
    PrivateSamba samba(dir / "samba");
    ASSERT_TRUE(samba.ready()) << fixtures::readFile(dir / "samba" / "log");
    CommandRunner runner;
    SambaAccount account(runner, samba.conf());
    SambaShares shares(runner, samba.conf());
    const std::string user = "corvidtest";
    std::string message;
    ASSERT_TRUE(account.CreateAccount(user, "Right pw 1", message)) << message;

    const auto music = dir / "media" / "music";
    std::filesystem::create_directories(music);
    fixtures::writeFile(music / "song.mp3", "x");
    SharingSettings settings(dir / "config", &shares);
    settings.user = user;
    ShareRecord record{"Tunes", 0, "music", music.string(), 1};
    ASSERT_EQ(settings.AddShare(record), ShareCheck::Added) << settings.LastError();

    // A share of the same name that is not Corvid's is not replaced.
    ASSERT_TRUE(runner
                    .Run({"net", "-s", samba.conf(), "usershare", "add", "Docs", music.string(),
                          "documents", "Everyone:R", "guest_ok=n"})
                    .ok());
    EXPECT_EQ(settings.AddShare({"docs", 0, "jpeg", music.string(), 1}), ShareCheck::SystemFailed);
    EXPECT_EQ(settings.LastError(), "The share name is already in use on this server");

    SharingSettings again(dir / "config", &shares);
    ASSERT_TRUE(again.LoadShares()) << again.LastError();
    ASSERT_EQ(again.ShareCount(), 1u);
    EXPECT_EQ(again.Share(0)->name, "Tunes");
    EXPECT_EQ(again.Share(0)->mediaTypeName, "music");
    EXPECT_EQ(again.Share(0)->readOnly, 1);

    EXPECT_TRUE(account.CheckAccount(user, "Right pw 1", message)) << message;
    EXPECT_FALSE(account.CheckAccount(user, "Wrong pw", message));
    EXPECT_EQ(message, "ID or Password is faild");
    const CommandResult listing =
        runner.Run({"smbclient", "-s", samba.conf(), "//127.0.0.1/Tunes", "-U", user, "-c", "ls"},
                   {}, {{"PASSWD", "Right pw 1"}});
    EXPECT_TRUE(listing.ok()) << listing.output << listing.errors;
    EXPECT_NE(listing.output.find("song.mp3"), std::string::npos);
    EXPECT_TRUE(shares.GuestMappingIsNever());

    ASSERT_TRUE(again.DeleteShare(0)) << again.LastError();
    ASSERT_TRUE(settings.LoadShares());
    EXPECT_EQ(settings.ShareCount(), 0u);
    EXPECT_TRUE(account.DeleteAccount(user, message)) << message;
    runner.Run({"userdel", user});
}

}  // namespace
}  // namespace corvid::sharing
