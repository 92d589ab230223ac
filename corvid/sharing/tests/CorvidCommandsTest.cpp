// The corvid share and settings commands as a user runs them, with stand-ins for Samba's net
// and testparm that keep the user shares in a file.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>

#include "common/ByteOrder.h"
#include "common/Socket.h"

#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/SharingSettings.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::sharing {
namespace {

struct Commands : ::testing::Test {
    Commands() {
        std::filesystem::create_directories(dir / "bin");
        std::filesystem::create_directories(dir / "media");
        script("net",
               "echo \"$@\" >> \"$NET_LOG\"\n"
               "case \"$1 $2\" in\n"
               "\"usershare info\") if [ -z \"$4\" ]; then cat \"$NET_LIST\";\n"
               "  elif grep -qix \"\\[$4\\]\" \"$NET_LIST\"; then echo \"[$4]\"; fi 2>/dev/null\n"
               "  exit 0 ;;\n"
               "\"usershare add\") printf '[%s]\\npath=%s\\ncomment=%s\\nusershare_acl=%s,\\n'"
               " \"$3\" \"$4\" \"$5\" \"$6\" >> \"$NET_LIST\" ;;\n"
               "esac\n");
        script("testparm", "echo Never\n");
    }
    void script(const std::string& name, const std::string& body) {
        fixtures::writeFile(dir / "bin" / name, "#!/bin/sh\n" + body);
        std::filesystem::permissions(dir / "bin" / name, std::filesystem::perms::owner_all);
    }
    CommandResult corvid(std::vector<std::string> args) {
        args.insert(args.begin(), CORVID_BINARY);
        return runner.Run(args, {},
                          {{"PATH", (dir / "bin").string() + ":/usr/bin:/bin"},
                           {"XDG_CONFIG_HOME", (dir / "config").string()},
                           {"NET_LOG", (dir / "net.log").string()},
                           {"NET_LIST", (dir / "shares").string()}});
    }

    fixtures::TempDir dir;
    CommandRunner runner;
};

TEST_F(Commands, SharesAreAddedAsUserSharesAndListedWithTheirTypeInUpperCase) {
    const std::string media = (dir / "media").string();
    auto r = corvid({"share", "add", "music:" + media, "--name", "Tunes", "--read-only"});
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.output, "Add Success\n Shared Count : 1\n");
    r = corvid({"share", "add", "record:" + media + "/", "--read-only"});
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    r = corvid({"share", "add", "music:" + media, "--name", "ThirteenChars"});
    EXPECT_EQ(r.errors, "corvid: Share Name is too long\n");
    EXPECT_EQ(fixtures::readFile(dir / "net.log"),
              "usershare info --long\nusershare info --long Tunes\nusershare add Tunes " + media +
                  " music Everyone:R guest_ok=n\nusershare info --long\n"
                  "usershare info --long media\nusershare add media " +
                  media + " record Everyone:F guest_ok=n\nusershare info --long\n");
    // A Samba share of that name made outside Corvid is not replaced.
    fixtures::writeFile(dir / "shares",
                        fixtures::readFile(dir / "shares") + "[Docs]\npath=/srv\ncomment=x\n");
    r = corvid({"share", "add", "jpeg:" + media, "--name", "docs"});
    EXPECT_EQ(r.errors,
              "corvid: The share could not be created: The share name is already in use "
              "on this server\n");
    r = corvid({"share", "list", "--tsv"});
    EXPECT_EQ(r.output,
              "0\tTunes\tMUSIC\t" + media + "\tyes\n1\tmedia\tRECORD\t" + media + "\tno\n");
    EXPECT_EQ(corvid({"share", "remove", "Nothing"}).exitCode, 1);
    EXPECT_EQ(corvid({"share", "add", "pictures:" + media}).exitCode, 1);
    EXPECT_EQ(corvid({"share", "frobnicate"}).exitCode, 2);
}

TEST_F(Commands, SettingsArePrintedWithThePasswordHidden) {
    SharingSettings settings(dir / "config" / "corvid");
    settings.LoadSettings();
    ASSERT_TRUE(settings.SetAccount("pvr", "do not print me"));
    const auto r = corvid({"settings"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("User=pvr\nPass=(set, hidden)\n"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("do not print me"), std::string::npos);
}

// One play request as corvidlet sends it: big-endian length and command, 16 bytes of
// destination, the location.
void sendPlay(std::uint16_t port, const std::string& location) {
    std::vector<std::uint8_t> request(24 + location.size(), 0);
    common::storeBe32(request.data(), static_cast<std::uint32_t>(request.size()));
    common::storeBe32(request.data() + 4, 1);
    std::memcpy(request.data() + 8, "10.0.0.1", 8);
    std::memcpy(request.data() + 24, location.data(), location.size());
    common::Socket::connectTcp("127.0.0.1", port, std::chrono::seconds(1))
        .sendAll(request.data(), request.size(), std::chrono::seconds(1));
}

TEST_F(Commands, ListenTakesSharedFilesAndContentUrlsOnly) {
    fixtures::writeFile(dir / "media" / "a.mp3", "x");
    fixtures::writeFile(dir / "shares", "[Tunes]\npath=" + (dir / "media").string() +
                                            "\ncomment=music\nusershare_acl=Everyone:R,\n");
    const std::uint16_t port = common::Socket::listenTcp("127.0.0.1", 0).localPort();
    std::thread receiver([&] {
        for (int tries = 0; tries < 40; ++tries) {
            if (common::Socket::connectTcp("127.0.0.1", port, std::chrono::seconds(1)).valid())
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        for (const char* location :
             {"Tunes/a.mp3", "http://10.0.0.2:49152/content/audio/0000000000000002/a.mp3",
              "Tunes/../shares", "http://10.0.0.2:49152/content/audio/0000000000000001/x"})
            sendPlay(port, location);
    });
    runner.timeLimit = std::chrono::seconds(4);
    const auto r = corvid({"listen", "--port", std::to_string(port), "--from", "127.0.0.1"});
    receiver.join();
    const std::string file = std::filesystem::canonical(dir / "media" / "a.mp3").string();
    EXPECT_EQ(r.output, "listening: " + std::to_string(port) + "\nplay 10.0.0.1 " + file +
                            "\nplay 10.0.0.1 " + file + "\n");
}

}  // namespace
}  // namespace corvid::sharing
