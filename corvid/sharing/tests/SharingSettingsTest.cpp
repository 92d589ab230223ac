// Corvid's options in a per-user INI file, and its share table kept through a ShareSystem.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/IniFile.h"
#include "corvid/sharing/MediaType.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/tests/MemoryShares.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::sharing {
namespace {

// The four type names in any case are seen at work in the share checks below (RECORD) and on the
// corvidlet link (video goes as vlc).
TEST(MediaType, VlcNamesAShareTypeButNoMediaType) {
    EXPECT_FALSE(mediaTypeFromName("vlc").has_value());
    EXPECT_TRUE(isShareTypeName("VLC"));
    EXPECT_FALSE(isShareTypeName("Vlc"));
}

// A configuration folder and a share system of the test's own.
class SharingSettingsTest : public ::testing::Test {
  protected:
    fixtures::TempDir dir;
    MemoryShares system;
};

TEST_F(SharingSettingsTest, AFreshProfileCreatesEveryValueAsItsDefaultInAPrivateFile) {
    SharingSettings s(dir / "config", &system);
    ASSERT_TRUE(s.LoadSettings());
    EXPECT_EQ(s.serverType, 0u);
    common::IniFile ini;
    ASSERT_EQ(ini.load(s.settingsFile()), common::IniFile::LoadResult::Loaded);
    for (const char* name : {"Login", "AutoStart", "usevlc", "videobitrate", "audiobitrate",
                             "ServerType", "User", "Key", "Pass", "ip", "vlcpath"})
        EXPECT_TRUE(ini.get("Setting", name).has_value()) << name;
    EXPECT_EQ(ini.get("Setting", "AutoStart"), "0");
    EXPECT_EQ(s.SubtitleRealSize(), 18u);
    EXPECT_EQ(s.SubtitleColor(), 16777215u);
    EXPECT_EQ(s.SubtitleEffect(), 2u);
    struct stat st {};
    ASSERT_EQ(::stat(s.settingsFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SharingSettingsTest, OptionsAndThePasswordComeBackButThePasswordIsNeverStoredPlain) {
    {
        SharingSettings s(dir / "config", &system);
        s.LoadSettings();
        s.vlcPath = "a\nb";
        s.audioBitrate = 192;
        ASSERT_TRUE(s.SetReceiverAddress("192.168.1.40"));
        ASSERT_TRUE(s.SetAccount("pvr", "secret password 17"));
        ASSERT_TRUE(s.SetSubtitleAlign(2));
        EXPECT_FALSE(s.SetAccount(std::string(21, 'u'), "x"));
    }
    EXPECT_EQ(fixtures::readFile(dir / "config" / "corvid.ini").find("secret"), std::string::npos);
    SharingSettings s(dir / "config", &system);
    ASSERT_TRUE(s.LoadSettings());
    EXPECT_EQ(s.vlcPath, "a b");
    EXPECT_EQ(s.audioBitrate, 192u);
    EXPECT_EQ(s.receiverAddress, "192.168.1.40");
    EXPECT_EQ(s.user, "pvr");
    EXPECT_EQ(s.password, "secret password 17");
    EXPECT_EQ(s.SubtitleAlign(), 2u);

    // A file that others can read (or a damaged key) gives no password.
    ::chmod(s.settingsFile().c_str(), 0644);
    SharingSettings open(dir / "config", &system);
    open.LoadSettings();
    EXPECT_EQ(open.password, "");
    ::chmod(s.settingsFile().c_str(), 0600);
    common::IniFile ini;
    ini.load(s.settingsFile());
    ini.set("Setting", "Key", "00");
    ini.save(s.settingsFile());
    SharingSettings damaged(dir / "config", &system);
    damaged.LoadSettings();
    EXPECT_EQ(damaged.password, "");
}

TEST_F(SharingSettingsTest, NewSharesAreCheckedInOrderWithTheirMessages) {
    const std::string folder = dir.path().string();
    SharingSettings s(dir / "config", &system);
    struct Case {
        ShareRecord record;
        ShareCheck result;
        const char* message;
    };
    const Case cases[] = {
        {ShareRecord{"Music", 0, "music", folder + "/missing", 1}, ShareCheck::InvalidPath,
         "Invalid Path"},
        {ShareRecord{"", 0, "music", folder, 1}, ShareCheck::NoName, "Insert share name"},
        {ShareRecord{"ThirteenChars", 0, "music", folder, 1}, ShareCheck::NameTooLong,
         "Share Name is too long"},
        {ShareRecord{"TwelveChars1", 0, "music", folder, 1}, ShareCheck::Added, "Add Success"},
        {ShareRecord{"Music2", 0, "MUSIC", folder, 1}, ShareCheck::Added, "Add Success"},
        {ShareRecord{"Rec", 0, "record", folder, 1}, ShareCheck::Added, "Add Success"},
        {ShareRecord{"Rec2", 0, "RECORD", folder, 1}, ShareCheck::SecondRecord,
         "Can not share more than one in case RECORD"},
        {ShareRecord{"music2", 0, "jpeg", folder, 1}, ShareCheck::NameTaken,
         "The share name is already in use on this server"},
        {ShareRecord{"Odd", 0, "pictures", folder, 1}, ShareCheck::BadType, "Unknown media type"},
    };
    for (const Case& c : cases) {
        const ShareCheck got = s.AddShare(c.record);
        EXPECT_EQ(got, c.result) << c.record.name;
        EXPECT_STREQ(ShareCheckMessage(got), c.message) << c.record.name;
    }
    EXPECT_EQ(s.ShareCount(), 3u);
    EXPECT_EQ(s.CountSharesOfType("music"), 2u);
}

TEST_F(SharingSettingsTest, TheTableIsTheSystemsShareListInSlotOrder) {
    {
        SharingSettings s(dir / "config", &system);
        ASSERT_EQ(s.AddShare(ShareRecord{"A", 0, "video", dir.path(), 1}), ShareCheck::Added);
        ASSERT_EQ(s.AddShare(ShareRecord{"B", 0, "music", dir.path(), 1}), ShareCheck::Added);
        ASSERT_TRUE(s.DeleteShare(0));
        EXPECT_FALSE(s.DeleteShare(0));
        ASSERT_EQ(s.AddShare(ShareRecord{"D", 0, "jpeg", dir.path(), 1}), ShareCheck::Added);
        EXPECT_EQ(s.Share(0)->name, "D");  // the lowest free slot
    }
    SharingSettings s(dir / "config", &system);
    ASSERT_TRUE(s.LoadShares());
    ASSERT_EQ(s.ShareCount(), 2u);
    EXPECT_EQ(s.Share(0)->name, "B");
    EXPECT_EQ(s.Share(1)->name, "D");
    EXPECT_EQ(s.Share(2), nullptr);
}

}  // namespace
}  // namespace corvid::sharing
