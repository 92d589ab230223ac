// Corvid's options and share list, stored in per-user INI files.

#include <gtest/gtest.h>

#include "common/IniFile.h"
#include "corvid/sharing/MediaType.h"
#include "corvid/sharing/SharingSettings.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::sharing {
namespace {

ShareRecord share(const std::string& name, const std::string& type, const std::string& path) {
    ShareRecord r;
    r.name = name;
    r.mediaTypeName = type;
    r.path = path;
    return r;
}

TEST(MediaType, NamesMapToTheFourTypesInAnyCase) {
    EXPECT_EQ(mediaTypeFromName("MUSIC"), MediaType::Music);
    EXPECT_EQ(mediaTypeFromName("jpeg"), MediaType::Jpeg);
    EXPECT_EQ(mediaTypeFromName("Video"), MediaType::Video);
    EXPECT_EQ(mediaTypeFromName("record"), MediaType::Record);
    EXPECT_FALSE(mediaTypeFromName("vlc").has_value());
    EXPECT_FALSE(mediaTypeFromName("pictures").has_value());
    EXPECT_TRUE(isShareTypeName("VLC"));
    EXPECT_FALSE(isShareTypeName("Vlc"));
}

TEST(SharingSettings, AFreshProfileCreatesEveryValueAsItsDefault) {
    fixtures::TempDir dir;
    SharingSettings s(dir.path());
    ASSERT_TRUE(s.LoadSettings());
    EXPECT_EQ(s.serverType, 0u);
    EXPECT_EQ(s.videoBitrate, 0u);
    common::IniFile ini;
    ASSERT_EQ(ini.load(s.settingsFile()), common::IniFile::LoadResult::Loaded);
    for (const char* name : {"Login", "AutoStart", "usevlc", "videobitrate", "audiobitrate",
                             "ServerType", "User", "Key", "Pass", "ip", "vlcpath"})
        EXPECT_TRUE(ini.get("Setting", name).has_value()) << name;
    EXPECT_EQ(ini.get("Setting", "AutoStart"), "0");
    EXPECT_EQ(s.SubtitleRealSize(), 18u);
    EXPECT_EQ(s.SubtitleColor(), 16777215u);
    EXPECT_EQ(s.SubtitleEffect(), 2u);
}

TEST(SharingSettings, SavedOptionsComeBackWithLineBreaksAsBlanks) {
    fixtures::TempDir dir;
    {
        SharingSettings s(dir / "config");  // the folder is made on the first save
        s.LoadSettings();
        s.vlcPath = "a\nb";
        s.serverType = 1;
        s.audioBitrate = 192;
        s.receiverAddress = "192.168.1.40";
        ASSERT_TRUE(s.SaveSettings());
        ASSERT_TRUE(s.SetSubtitleAlign(2));
        ASSERT_TRUE(s.SetSubtitleFont("DejaVuSans.ttf"));
    }
    SharingSettings s(dir / "config");
    ASSERT_TRUE(s.LoadSettings());
    EXPECT_EQ(s.vlcPath, "a b");
    EXPECT_EQ(s.serverType, 1u);
    EXPECT_EQ(s.audioBitrate, 192u);
    EXPECT_EQ(s.receiverAddress, "192.168.1.40");
    EXPECT_EQ(s.SubtitleAlign(), 2u);
    EXPECT_EQ(s.SubtitleFont(), "DejaVuSans.ttf");
}

TEST(SharingSettings, NewSharesAreCheckedInOrder) {
    fixtures::TempDir dir;
    const auto folder = dir / "media";
    std::filesystem::create_directories(folder);
    SharingSettings s(dir / "config");
    EXPECT_EQ(s.AddShare(share("Music", "music", (dir / "missing").string())),
              ShareCheck::InvalidPath);
    EXPECT_EQ(s.AddShare(share("", "music", folder.string())), ShareCheck::NoName);
    EXPECT_EQ(s.AddShare(share("ThirteenChars", "music", folder.string())),
              ShareCheck::NameTooLong);
    EXPECT_EQ(s.AddShare(share("TwelveChars1", "music", folder.string())), ShareCheck::Added);
    EXPECT_EQ(s.AddShare(share("Music2", "music", folder.string())), ShareCheck::Added);
    EXPECT_EQ(s.AddShare(share("Rec", "record", folder.string())), ShareCheck::Added);
    EXPECT_EQ(s.AddShare(share("Rec2", "RECORD", folder.string())), ShareCheck::SecondRecord);
    EXPECT_EQ(s.AddShare(share("Odd", "pictures", folder.string())), ShareCheck::BadType);
    EXPECT_EQ(s.ShareCount(), 3u);
    EXPECT_EQ(s.CountSharesOfType("music"), 2u);
    EXPECT_EQ(s.CountSharesOfType("record"), 1u);
}

TEST(SharingSettings, TheShareListIsStoredAndReadBackInSlotOrder) {
    fixtures::TempDir dir;
    std::filesystem::create_directories(dir / "a");
    std::filesystem::create_directories(dir / "b");
    {
        SharingSettings s(dir / "config");
        ASSERT_EQ(s.AddShare(share("A", "video", (dir / "a").string())), ShareCheck::Added);
        ASSERT_EQ(s.AddShare(share("B", "music", (dir / "b").string())), ShareCheck::Added);
        ASSERT_EQ(s.AddShare(share("C", "jpeg", (dir / "b").string())), ShareCheck::Added);
        ASSERT_TRUE(s.DeleteShare(0));
        ASSERT_EQ(s.AddShare(share("D", "MUSIC", (dir / "a").string())), ShareCheck::Added);
        EXPECT_EQ(s.Share(0)->name, "D");  // the lowest free slot
    }
    SharingSettings s(dir / "config");
    ASSERT_TRUE(s.LoadShares());
    ASSERT_EQ(s.ShareCount(), 3u);
    EXPECT_EQ(s.Share(0)->name, "D");
    EXPECT_EQ(s.Share(1)->name, "B");
    EXPECT_EQ(s.Share(2)->name, "C");
    EXPECT_EQ(s.Share(0)->mediaTypeName, "MUSIC");
    EXPECT_EQ(s.Share(0)->path, (dir / "a").string());
    EXPECT_EQ(s.Share(3), nullptr);
}

TEST(SharingSettings, ShareNamesDifferingOnlyInCaseAreTheSameShare) {
    fixtures::TempDir dir;
    SharingSettings s(dir / "config");
    ASSERT_EQ(s.AddShare(share("Movies", "video", dir.path().string())), ShareCheck::Added);
    EXPECT_EQ(s.AddShare(share("MOVIES", "music", dir.path().string())), ShareCheck::NameTaken);
    EXPECT_EQ(s.AddShare(share("Bad]Name", "music", dir.path().string())), ShareCheck::StoreFailed);
    SharingSettings back(dir / "config");
    ASSERT_TRUE(back.LoadShares());
    ASSERT_EQ(back.ShareCount(), 1u);
    EXPECT_EQ(back.Share(0)->mediaTypeName, "video");
}

}  // namespace
}  // namespace corvid::sharing
