#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "common/IniFile.h"
#include "tests/fixtures/TempDir.h"

using common::IniFile;

namespace {

IniFile parsed(std::string_view text) {
    IniFile ini;
    ini.parse(text);
    return ini;
}

}  // namespace

TEST(IniFile, LooksValuesUpAsTheProfileFunctionsDo) {
    const struct {
        const char* text;
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        // Names compare without case and blanks around them do not count.
        {"[CONFIG]\n  Lang =  GER  \n", "config", "LANG", "GER"},
        {"[CONFIG]\n  Lang =  GER  \n", " CONFIG ", "lang", "GER"},
        {"[CONFIG]\nLANG=GER\n", "CONFIGS", "LANG", std::nullopt},
        {"[CONFIG]\nLANG=GER\n", "CONFIG", "LAN", std::nullopt},
        // Values keep their case and lose one pair of quotes.
        {"[s]\na=\"quoted\"\n", "s", "a", "quoted"},
        {"[s]\nb='single'\n", "s", "b", "single"},
        {"[s]\nc=\"\"twice\"\"\n", "s", "c", "\"twice\""},
        {"[s]\nd=\"unbalanced\n", "s", "d", "\"unbalanced"},
        {"[s]\ne=\"mixed'\n", "s", "e", "\"mixed'"},
        {"[s]\nf=MiXeD=case\n", "s", "f", "MiXeD=case"},
        {"[s]\ng=\n", "s", "g", ""},
        // The first of two equal sections or keys wins; the second [A] is never looked at.
        {"[a]\nk=1\nK=2\n[A]\nk=3\nother=4\n", "a", "k", "1"},
        {"[a]\nk=1\nK=2\n[A]\nk=3\nother=4\n", "a", "other", std::nullopt},
        // Comments, stray lines and keys outside sections are not values.
        {"top=1\n[s]\n", "", "top", std::nullopt},
        {"[s]\n; k=comment\n# k=hash\njust words\n=no key\n[broken\nk=real\r\n", "s", "k", "real"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parsed(c.text).get(c.section, c.key), c.value) << c.text;

    auto twice = parsed("[a]\nk=1\nK=2\n[A]\nk=3\nother=4\n");
    EXPECT_EQ(twice.sections(), std::vector<std::string>{"a"});
    EXPECT_EQ(twice.keys("A"), std::vector<std::string>{"k"});
    auto stray = parsed("[s]\n; k=comment\njust words\n=no key\n[broken\nk=real\n");
    EXPECT_EQ(stray.keys("s"), std::vector<std::string>{"k"});
}

TEST(IniFile, WritingKeepsEverythingItDoesNotUnderstand) {
    const std::string original =
        "\xEF\xBB\xBF; settings\n"
        "stray line\n"
        "[Setting]\n"
        "LastFtpIP = 10.0.0.1 ; not a comment\n"
        "\n"
        "; leads into the next section\n"
        "[Other]\n"
        "x=1\n";
    auto ini = parsed(original);
    EXPECT_EQ(ini.get("setting", "lastftpip"), "10.0.0.1 ; not a comment");
    ASSERT_TRUE(ini.set("setting", "lastftpip", "192.168.0.10"));
    ASSERT_TRUE(ini.set("Setting", "LocalPath", "/home/u/Record"));
    EXPECT_EQ(ini.text(),
              "\xEF\xBB\xBF; settings\n"
              "stray line\n"
              "[Setting]\n"
              "LastFtpIP=192.168.0.10\n"
              "LocalPath=/home/u/Record\n"
              "\n"
              "; leads into the next section\n"
              "[Other]\n"
              "x=1\n");
}

TEST(IniFile, AMissingSectionIsAddedAtTheEnd) {
    auto ini = parsed("[a]\nk=1");
    ASSERT_TRUE(ini.set("b", "k", "2"));
    EXPECT_EQ(ini.text(), "[a]\nk=1\n\n[b]\nk=2\n");
    IniFile empty;
    ASSERT_TRUE(empty.set("CONFIG", "LANG", "ENG"));
    EXPECT_EQ(empty.text(), "[CONFIG]\nLANG=ENG\n");
}

TEST(IniFile, ValuesComeBackExactlyAsSet) {
    const std::vector<std::string> values = {
        "",
        " leading",
        "trailing\t",
        "\"quoted\"",
        "'single'",
        "\"",
        "a=b",
        ";semi",
        "#hash",
        "[bracket]",
        "päth/ü",
        "x\"y\"",
        std::string(3000, 'v'),
    };
    IniFile ini;
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_TRUE(ini.set("s", "k" + std::to_string(i), values[i])) << i;
    auto again = parsed(ini.text());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.get("s", "k" + std::to_string(i)), values[i]) << i;
}

TEST(IniFile, RefusesWhatCouldNotBeReadBack) {
    IniFile ini;
    using namespace std::string_literals;
    EXPECT_FALSE(ini.set("s", "k", "two\nlines"));
    EXPECT_FALSE(ini.set("s", "k", "cr\rhere"));
    EXPECT_FALSE(ini.set("s", "k", "zero\0byte"s));
    EXPECT_FALSE(ini.set("s", "a=b", "v"));
    EXPECT_FALSE(ini.set("s", "[k", "v"));
    EXPECT_FALSE(ini.set("s", ";k", "v"));
    EXPECT_FALSE(ini.set("s", "", "v"));
    EXPECT_FALSE(ini.set("", "k", "v"));
    EXPECT_FALSE(ini.set("a]b", "k", "v"));
    EXPECT_FALSE(ini.set("s", "k", std::string(IniFile::kMaxLineLength, 'v')));
    EXPECT_EQ(ini.text(), "");
}

TEST(IniFile, RemoveTakesOutOneKey) {
    auto ini = parsed("[s]\na=1\nb=2\n");
    EXPECT_TRUE(ini.remove("S", "A"));
    EXPECT_FALSE(ini.remove("s", "a"));
    EXPECT_FALSE(ini.remove("t", "b"));
    EXPECT_EQ(ini.text(), "[s]\nb=2\n");
}

TEST(IniFile, OverlongLinesAreKeptButNeverLookedInto) {
    std::string longLine = "k=" + std::string(IniFile::kMaxLineLength, 'x');
    auto ini = parsed("[s]\n" + longLine + "\nk=short\n");
    EXPECT_EQ(ini.get("s", "k"), "short");
    EXPECT_EQ(ini.text(), "[s]\n" + longLine + "\nk=short\n");
}

TEST(IniFile, GarbageSurvivesAReadWriteCycle) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::string bytes = fixtures::randomBytes(2000, seed);
        std::string expected = bytes;
        if (expected.back() != '\n')
            expected += '\n';  // only the last line gains an end
        EXPECT_EQ(parsed(bytes).text(), expected) << "seed " << seed;
    }
}

TEST(IniFile, AddedLinesEndLikeTheFile) {
    auto ini = parsed("[a]\r\nk=1\r\n");
    ASSERT_TRUE(ini.set("a", "j", "2"));
    ASSERT_TRUE(ini.set("b", "k", "3"));
    EXPECT_EQ(ini.text(), "[a]\r\nk=1\r\nj=2\r\n\r\n[b]\r\nk=3\r\n");
}

// A folder of its own for the files of one test.
class IniFileOnDisk : public ::testing::Test {
  protected:
    fixtures::TempDir dir;
    IniFile ini;
};

// A file over kMaxFileSize is unreadable too; that is checked where it matters, in the settings
// store's tests: nothing loaded and the file never overwritten.
TEST_F(IniFileOnDisk, LoadTellsMissingFromUnreadable) {
    EXPECT_EQ(ini.load(dir / "none.ini"), IniFile::LoadResult::Missing);
    EXPECT_EQ(ini.load(dir / "none" / "deeper.ini"), IniFile::LoadResult::Missing);
    EXPECT_EQ(ini.load(dir.path()), IniFile::LoadResult::Unreadable);

    fixtures::writeFile(dir / "ok.ini", "[s]\r\nk=v\r\n");
    EXPECT_EQ(ini.load(dir / "ok.ini"), IniFile::LoadResult::Loaded);
    EXPECT_EQ(ini.get("s", "k"), "v");
}

TEST_F(IniFileOnDisk, SaveReplacesTheFileAndLeavesNoTemporaryBehind) {
    auto file = dir / "a.ini";
    fixtures::writeFile(file, "; keep me\n[s]\nk=old\n");
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(ini.load(file), IniFile::LoadResult::Loaded);
    ASSERT_TRUE(ini.set("s", "k", "new"));
    ASSERT_TRUE(ini.save(file));
    EXPECT_EQ(fixtures::readFile(file), "; keep me\n[s]\nk=new\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(IniFileOnDisk, SaveFollowsASymbolicLink) {
    fixtures::writeFile(dir / "real.ini", "[s]\n");
    std::filesystem::create_symlink("real.ini", dir / "link.ini");
    ASSERT_EQ(ini.load(dir / "link.ini"), IniFile::LoadResult::Loaded);
    ASSERT_TRUE(ini.set("s", "k", "v"));
    ASSERT_TRUE(ini.save(dir / "link.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(fixtures::readFile(dir / "real.ini"), "[s]\nk=v\n");
}

TEST_F(IniFileOnDisk, SaveFailsCleanlyWhereItCannotWrite) {
    ASSERT_TRUE(ini.set("s", "k", "v"));
    EXPECT_FALSE(ini.save(dir / "missing" / "a.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    // A folder where the file should be is not replaced.
    std::filesystem::create_directory(dir / "folder.ini");
    EXPECT_FALSE(ini.save(dir / "folder.ini"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));
    if (::geteuid() != 0) {
        // A read-only folder keeps its old file (root may write anywhere, so only checked as a
        // user).
        fixtures::writeFile(dir / "ro" / "a.ini", "old\n");
        ASSERT_EQ(::chmod((dir / "ro").c_str(), 0500), 0);
        EXPECT_FALSE(ini.save(dir / "ro" / "a.ini"));
        EXPECT_EQ(fixtures::readFile(dir / "ro" / "a.ini"), "old\n");
        ::chmod((dir / "ro").c_str(), 0700);
    }
}
