#include <gtest/gtest.h>

#include <string>

#include "tests/fixtures/EnvVar.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/shell/ProgramFolder.h"
#include "velkport/shell/base/MessageCatalogue.h"

using velkport::shell::AppContext;
using velkport::shell::ApplyLanguageCode;
using velkport::shell::ChooseLanguage;
using velkport::shell::MessageCatalogue;
using velkport::shell::Msg;

namespace {

// A program folder of its own; the catalogue speaks English again after each test.
class LanguageChoice : public ::testing::Test {
  protected:
    void TearDown() override {
        MessageCatalogue::instance().SetLanguage(velkport::shell::kEnglish);
    }

    int chooseWith(const std::string& configIni) {
        fixtures::writeFile(dir / "lang" / "config.ini", configIni);
        return ChooseLanguage(app);
    }

    fixtures::TempDir dir;
    AppContext app{.programFolder = dir.path()};
};

}  // namespace

TEST_F(LanguageChoice, TheFirstThreeLettersOfTheCodeChooseTheTable) {
    using namespace velkport::shell;
    const struct {
        const char* ini;
        int language;
        const char* open;  // Msg(1) in that language
    } cases[] = {
        {"[CONFIG]\nLANG=GERMAN\n", kGerman, "Öffnen"},
        {"[CONFIG]\nLANG=ger\n", kEnglish, "Open"},  // the code is case-sensitive
        {"[config]\nlang=DAN\n", kDanish, "Åben"},   // the names are not
        {"[CONFIG]\nLANG=FIN\n", kFinnish, "Avaa"},
        {"[CONFIG]\r\nLANG = \"SWE\"\r\n", kSwedish, "Öppna"},
        {"[CONFIG]\nLANG=ENG\n", kEnglish, "Open"},
    };
    for (const auto& c : cases) {
        app.german = c.language != kGerman;
        EXPECT_EQ(chooseWith(c.ini), c.language) << c.ini;
        EXPECT_EQ(app.german, c.language == kGerman) << c.ini;
        EXPECT_EQ(Msg(1), c.open) << c.ini;
    }
}

TEST_F(LanguageChoice, NoReadableConfigOrAnythingButAKnownCodeMeansEnglish) {
    const auto expectEnglish = [&](const std::string& what) {
        MessageCatalogue::instance().SetLanguage(velkport::shell::kGerman);
        app.german = true;
        EXPECT_EQ(ChooseLanguage(app), velkport::shell::kEnglish) << what;
        EXPECT_FALSE(app.german);
        EXPECT_EQ(Msg(211), "Socket init failed");
    };
    expectEnglish("no config file");
    // How the file is read (sections, garbage, overlong lines, a folder in its place) is the INI
    // reader's; here only what the code itself may be.
    for (const char* text :
         {"[CONFIG]\n", "[CONFIG]\nLANG=GE\n", "[CONFIG]\nLANG= G ER\n", "[CONFIG]\nLANG=\n"}) {
        fixtures::writeFile(dir / "lang" / "config.ini", text);
        expectEnglish(text);
    }
}

TEST_F(LanguageChoice, ACommandLineCodeOverridesTheChoice) {
    chooseWith("[CONFIG]\nLANG=GER\n");
    EXPECT_TRUE(ApplyLanguageCode("FIN", app));
    EXPECT_EQ(MessageCatalogue::instance().GetLanguage(), velkport::shell::kFinnish);
    EXPECT_FALSE(app.german);
    EXPECT_TRUE(ApplyLanguageCode("ger", app));
    EXPECT_TRUE(app.german);
    EXPECT_EQ(Msg(1), "Öffnen");
    EXPECT_TRUE(ApplyLanguageCode("ENG", app));
    EXPECT_EQ(Msg(1), "Open");
    // Unknown codes change nothing.
    ApplyLanguageCode("DAN", app);
    for (const char* bad : {"", "GERMAN", "XYZ", "EN", "de"})
        EXPECT_FALSE(ApplyLanguageCode(bad, app)) << bad;
    EXPECT_EQ(MessageCatalogue::instance().GetLanguage(), velkport::shell::kDanish);
}

TEST(ProgramFolder, VelkportHomeWinsOverTheShareVelkportOfAnInstalledProgram) {
    fixtures::TempDir dir;
    std::filesystem::create_directories(dir / "prefix" / "bin");
    std::filesystem::create_directories(dir / "prefix" / "share" / "velkport");
    const auto program = dir / "prefix" / "bin" / "velkport";
    {
        fixtures::EnvVar home("VELKPORT_HOME", dir.path().string() + "/");
        EXPECT_EQ(velkport::shell::FindProgramFolder(program), dir.path());
    }
    fixtures::EnvVar unset("VELKPORT_HOME", std::nullopt);
    EXPECT_EQ(velkport::shell::FindProgramFolder(program), dir / "prefix" / "share" / "velkport");
}

TEST(ProgramFolder, AProgramInItsBuildFolderUsesTheSourceData) {
    fixtures::EnvVar unset("VELKPORT_HOME", std::nullopt);
    fixtures::TempDir dir;
    std::filesystem::create_directories(dir / "bin");
    auto folder = velkport::shell::FindProgramFolder(dir / "bin" / "velkport");
    EXPECT_EQ(folder, std::filesystem::path(VELK_SOURCE_DIR) / "velkport" / "shell" / "data");

    AppContext app;
    velkport::shell::RecordProgramLocation(app, dir / "bin" / "velkport");
    EXPECT_EQ(app.programFolder, folder);
    EXPECT_EQ(app.programName, "velkport");
    // The shipped configuration speaks English.
    EXPECT_EQ(fixtures::readFile(folder / "lang" / "config.ini"), "[CONFIG]\nLANG=ENG\n");
}
