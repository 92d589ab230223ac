#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/fixtures/TempDir.h"
#include "velkport/shell/ProgramFolder.h"
#include "velkport/shell/base/MessageCatalogue.h"

using velkport::shell::AppContext;
using velkport::shell::ApplyLanguageCode;
using velkport::shell::ChooseLanguage;
using velkport::shell::MessageCatalogue;
using velkport::shell::Msg;

namespace {

class VelkportHomeGuard {
  public:
    explicit VelkportHomeGuard(const char* value) {
        if (const char* old = std::getenv("VELKPORT_HOME"))
            old_ = old;
        if (value)
            ::setenv("VELKPORT_HOME", value, 1);
        else
            ::unsetenv("VELKPORT_HOME");
    }
    ~VelkportHomeGuard() {
        if (old_)
            ::setenv("VELKPORT_HOME", old_->c_str(), 1);
        else
            ::unsetenv("VELKPORT_HOME");
    }

  private:
    std::optional<std::string> old_;
};

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

TEST_F(LanguageChoice, NoConfigFileMeansEnglish) {
    MessageCatalogue::instance().SetLanguage(velkport::shell::kSwedish);
    app.german = true;
    EXPECT_EQ(ChooseLanguage(app), velkport::shell::kEnglish);
    EXPECT_EQ(MessageCatalogue::instance().GetLanguage(), velkport::shell::kEnglish);
    EXPECT_FALSE(app.german);
    EXPECT_EQ(Msg(211), "Socket init failed");
}

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

TEST_F(LanguageChoice, AnythingElseMeansEnglish) {
    for (const std::string& text : {
             std::string("[CONFIG]\n"),                                       // no key
             std::string("LANG=GER\n"),                                       // no section
             std::string("[OTHER]\nLANG=GER\n"),                              // another section
             std::string("[CONFIG]\nLANG=GE\n"),                              // too short
             std::string("[CONFIG]\nLANG= G ER\n"),                           // not the code
             std::string("[CONFIG]\nLANG=\n"),                                // empty
             fixtures::randomBytes(3000, 11),                                 // garbage
             std::string("[CONFIG]\nLANG=") + std::string(5000, 'G') + "\n",  // overlong line
         }) {
        MessageCatalogue::instance().SetLanguage(velkport::shell::kGerman);
        EXPECT_EQ(chooseWith(text), velkport::shell::kEnglish) << text.substr(0, 40);
        EXPECT_EQ(Msg(211), "Socket init failed");
    }
}

TEST_F(LanguageChoice, AnUnreadableConfigMeansEnglish) {
    std::filesystem::create_directories(dir / "lang" / "config.ini");  // a folder in its place
    EXPECT_EQ(ChooseLanguage(app), velkport::shell::kEnglish);
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

TEST(ProgramFolder, VelkportHomeWins) {
    fixtures::TempDir dir;
    VelkportHomeGuard guard((dir.path().string() + "/").c_str());
    EXPECT_EQ(velkport::shell::FindProgramFolder("/usr/bin/velkport"), dir.path());
}

TEST(ProgramFolder, AnInstalledProgramUsesShareVelkport) {
    VelkportHomeGuard guard(nullptr);
    fixtures::TempDir dir;
    std::filesystem::create_directories(dir / "prefix" / "bin");
    std::filesystem::create_directories(dir / "prefix" / "share" / "velkport");
    EXPECT_EQ(velkport::shell::FindProgramFolder(dir / "prefix" / "bin" / "velkport"),
              dir / "prefix" / "share" / "velkport");
}

TEST(ProgramFolder, AProgramInItsBuildFolderUsesTheSourceData) {
    VelkportHomeGuard guard(nullptr);
    fixtures::TempDir dir;
    std::filesystem::create_directories(dir / "bin");
    auto folder = velkport::shell::FindProgramFolder(dir / "bin" / "velkport");
    EXPECT_EQ(folder, std::filesystem::path(VELK_SOURCE_DIR) / "velkport" / "shell" / "data");

    // The shipped configuration speaks English.
    AppContext app;
    velkport::shell::RecordProgramLocation(app, dir / "bin" / "velkport");
    EXPECT_EQ(app.programFolder, folder);
    EXPECT_EQ(app.programName, "velkport");
    MessageCatalogue::instance().SetLanguage(velkport::shell::kGerman);
    EXPECT_EQ(ChooseLanguage(app), velkport::shell::kEnglish);
    EXPECT_EQ(fixtures::readFile(folder / "lang" / "config.ini"), "[CONFIG]\nLANG=ENG\n");
}
