#include <gtest/gtest.h>

#include <future>

#include "corvid/sharing/AutoStart.h"
#include "corvid/sharing/CorvidMessages.h"
#include "corvid/sharing/DialogChecks.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/SingleInstance.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::sharing {
namespace {

TEST(CorvidMessagesTest, EveryLanguageHasAll126TextsAndTheLanguageComesFromConfigIni) {
    using L = CorvidMessages::Language;
    for (L l : {L::English, L::German, L::Finnish, L::Danish, L::Swedish}) {
        std::vector<std::string> table;
        std::string error;
        EXPECT_TRUE(CorvidMessages::ParseTable(CorvidMessages::BuiltInTable(l), table, &error))
            << l << ": " << error;
    }
    auto& messages = CorvidMessages::instance();
    fixtures::TempDir dir;
    const std::pair<const char*, L> codes[] = {{"GERMAN", L::German}, {"FIN", L::Finnish},
                                               {"DAN", L::Danish},    {"SWE", L::Swedish},
                                               {"ger", L::English},   {"XX", L::English}};
    for (auto [code, language] : codes) {
        fixtures::writeFile(dir / "config.ini", std::string("[CONFIG]\nLANG=") + code + "\n");
        messages.LoadLanguage(dir / "config.ini");
        EXPECT_EQ(messages.language(), language) << code;
    }
    messages.SetLanguage(L::English);
    EXPECT_EQ(CorvidText(125), "Blue");
    EXPECT_EQ(messages.Format(7, "3"), "Are you sure you want delete 3 share folders ?");
}

TEST(SingleInstanceTest, SecondInstanceHandsItsAddressToTheFirst) {
    fixtures::TempDir dir;
    std::promise<std::pair<std::string, bool>> handed;
    SingleInstance first(dir.path());
    ASSERT_TRUE(first.Acquire([&](const std::string& address, bool show) {
        handed.set_value({address, show});
    }));
    SingleInstance second(dir.path());
    EXPECT_FALSE(second.Acquire({}));
    EXPECT_FALSE(second.HandOver("not an address"));
    ASSERT_TRUE(second.HandOver("192.168.1.20"));
    auto got = handed.get_future();
    ASSERT_EQ(got.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(got.get(), std::make_pair(std::string("192.168.1.20"), true));
    // The record Velkport writes, byte for byte.
    const std::uint8_t velkport[12] = {0, 0, 0x17, 0x55, 192, 168, 1, 20, 0, 0, 0, 1};
    EXPECT_EQ(SingleInstance::Encode(*SingleInstance::PackAddress("192.168.1.20"), true),
              std::to_array(velkport));
    EXPECT_FALSE(SingleInstance::Decode(std::array<std::uint8_t, 12>{}.data()));
    first.Release();
    EXPECT_TRUE(second.Acquire({})) << "the lock goes with the first instance";
}

TEST(AutoStartTest, EntryIsWrittenAndRemovedWithTheSetting) {
    fixtures::TempDir config;
    fixtures::TempDir xdg;
    SharingSettings settings(config.path());
    settings.LoadSettings();
    AutoStart autoStart(xdg.path());
    const std::filesystem::path program = "/opt/corvid dir/bin/corvid";
    ASSERT_TRUE(autoStart.SetAutoStart(settings, true, program));
    EXPECT_EQ(settings.autoStart, 1u);
    EXPECT_EQ(fixtures::readFile(xdg / "autostart/corvid.desktop"), AutoStart::EntryText(program));
    EXPECT_NE(AutoStart::EntryText(program).find("Exec=\"/opt/corvid dir/bin/corvid\"\n"),
              std::string::npos);
    EXPECT_TRUE(autoStart.IsOn(program));
    EXPECT_FALSE(autoStart.IsOn("/usr/bin/corvid"));
    ASSERT_TRUE(autoStart.SetAutoStart(settings, false, program));
    EXPECT_FALSE(std::filesystem::exists(xdg / "autostart/corvid.desktop"));
    SharingSettings reread(config.path());
    reread.LoadSettings();
    EXPECT_EQ(reread.autoStart, 0u);
}

TEST(DialogChecksTest, EachDialogNamesTheFirstFieldItRefuses) {
    const std::pair<std::string, std::string> cases[] = {
        {DialogChecks::NewAccount("", "p", "p"), "Type a name for new account"},
        {DialogChecks::NewAccount("pvr", "", "p"), "Type a password for new account"},
        {DialogChecks::NewAccount("pvr", "p", ""), "Type a confirm for new account"},
        {DialogChecks::NewAccount("pvr", "p", "q"),
         "The passwords you typed do not mach. Please retype the new password and confirm"},
        {DialogChecks::NewAccount("pvr", "p", "p"), ""},
        {DialogChecks::Settings("", "p", 768, 128), "Fill a user ID"},
        {DialogChecks::Settings("pvr", "", 768, 128), "Fill a password"},
        {DialogChecks::Settings("pvr", "p", 768, 0), "Select a audio bitrate"},
        {DialogChecks::Settings("pvr", "p", 768, 128), ""},
        {DialogChecks::Start("", "pvr", "p"), "PVR is not selected"},
        {DialogChecks::Start("192.168.1.300", "pvr", "p"), "PVR is not selected"},
        {DialogChecks::Start("192.168.1.20", "", "p"), "Fill a user ID"},
        {DialogChecks::Start("192.168.1.20", "pvr", ""), "Fill a password"},
        {DialogChecks::Login("a", "b"), "Password and Confrim is not same"},
    };
    for (const auto& [got, wanted] : cases)
        EXPECT_EQ(got, wanted);
}

}  // namespace
}  // namespace corvid::sharing
