#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/fixtures/EnvVar.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/shell/base/SettingsStore.h"

using velkport::shell::SettingsStore;

namespace {

// A user whose home and configuration folder live in a temporary folder.
class SettingsStoreTest : public ::testing::Test {
  protected:
    fixtures::TempDir dir;
    std::filesystem::path home = dir / "home";
    std::filesystem::path config = dir / "config";
    fixtures::EnvVar homeVar{"HOME", home.string()};
    fixtures::EnvVar configVar{"XDG_CONFIG_HOME", config.string()};
    std::filesystem::path file = config / "Quintavo" / "Velkport.ini";
};

}  // namespace

TEST_F(SettingsStoreTest, TheFileLivesInTheUsersConfigurationFolder) {
    EXPECT_EQ(SettingsStore::DefaultFile(), file);
    {
        fixtures::EnvVar unset("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(SettingsStore::DefaultFile(), home / ".config" / "Quintavo" / "Velkport.ini");
    }
    {
        fixtures::EnvVar relative("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(SettingsStore::DefaultFile(), home / ".config" / "Quintavo" / "Velkport.ini");
    }
}

TEST_F(SettingsStoreTest, AFirstRunCreatesTheFileAndAnEmptyLocalPath) {
    SettingsStore store;
    EXPECT_FALSE(store.LoadLastAddress());
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(fixtures::readFile(file), "[Setting]\n");

    EXPECT_FALSE(store.LoadLocalPath());
    EXPECT_EQ(fixtures::readFile(file), "[Setting]\nLocalPath=\n");
    // Present but empty still reports nothing, and the file stays as it is.
    EXPECT_FALSE(store.LoadLocalPath());
    EXPECT_EQ(fixtures::readFile(file), "[Setting]\nLocalPath=\n");
}

TEST_F(SettingsStoreTest, TheLastAddressComesBackInTheNextRun) {
    EXPECT_TRUE(SettingsStore().SaveLastAddress("192.168.0.10"));
    EXPECT_EQ(SettingsStore().LoadLastAddress(), "192.168.0.10");
    EXPECT_TRUE(SettingsStore().SaveLastAddress("10.0.0.7"));
    EXPECT_EQ(SettingsStore().LoadLastAddress(), "10.0.0.7");
    EXPECT_EQ(fixtures::readFile(file), "[Setting]\nLastFtpIP=10.0.0.7\n");
}

TEST_F(SettingsStoreTest, OnlyTextUpTo499BytesOnOneLineIsStoredAndLoaded) {
    SettingsStore store;
    // 499 bytes in 498 characters: bytes count, not characters.
    std::string fits = "/" + std::string(496, 'p') + "\xC3\xA4";
    EXPECT_TRUE(store.SaveLocalPath(fits));
    EXPECT_EQ(store.LoadLocalPath(), fits);

    std::string tooLong(500, 'x');
    EXPECT_FALSE(store.SaveLocalPath(tooLong));
    EXPECT_FALSE(store.SaveLastAddress(tooLong));
    EXPECT_EQ(store.LoadLocalPath(), fits);  // the old value is kept
    EXPECT_FALSE(store.LoadLastAddress());

    // Nor is an overlong value written by hand loaded.
    fixtures::writeFile(file, "[Setting]\nLastFtpIP=" + std::string(500, '1') +
                                  "\nLocalPath=" + std::string(600, 'p') + "\n");
    EXPECT_FALSE(store.LoadLastAddress());
    EXPECT_FALSE(store.LoadLocalPath());
}

TEST_F(SettingsStoreTest, AGarbageFileLoadsNothingAndStillTakesNewValues) {
    std::string garbage = fixtures::randomBytes(4000, 7);
    fixtures::writeFile(file, garbage);
    SettingsStore store;
    EXPECT_FALSE(store.LoadLastAddress());
    EXPECT_TRUE(store.SaveLastAddress("192.168.0.10"));
    EXPECT_EQ(store.LoadLastAddress(), "192.168.0.10");
    // The bytes that were there are still there.
    EXPECT_EQ(fixtures::readFile(file).substr(0, garbage.size()), garbage);
}

TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsNeitherLoadedNorOverwritten) {
    // A file too large to be settings: loading gives nothing, saving does not destroy it.
    std::string big = "[Setting]\nLastFtpIP=1.2.3.4\n" + std::string(2 * 1024 * 1024, ';');
    fixtures::writeFile(file, big);
    SettingsStore store;
    EXPECT_FALSE(store.LoadLastAddress());
    EXPECT_FALSE(store.LoadLocalPath());
    EXPECT_FALSE(store.SaveLastAddress("192.168.0.10"));
    EXPECT_EQ(std::filesystem::file_size(file), big.size());
}

TEST_F(SettingsStoreTest, NoHomeAndNoConfigurationFolderMeansNoSettings) {
    SettingsStore store{std::filesystem::path()};
    EXPECT_FALSE(store.LoadLastAddress());
    EXPECT_FALSE(store.SaveLastAddress("192.168.0.10"));
}

TEST_F(SettingsStoreTest, TheDefaultLocalPathIsRecordInTheDocumentsFolderOfTheDesktopsUserDirs) {
    SettingsStore store;
    EXPECT_FALSE(store.LoadLocalPath());  // writes the empty LocalPath
    EXPECT_FALSE(store.DefaultLocalPath()) << "no documents folder named";
    EXPECT_FALSE(std::filesystem::exists(home / "Documents"));
    EXPECT_FALSE(store.LoadLocalPath());

    fixtures::writeFile(config / "user-dirs.dirs",
                        "# written by xdg-user-dirs-update\n"
                        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                        "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    const auto path = store.DefaultLocalPath();
    ASSERT_EQ(path, (home / "Dokumente" / "Record").string());
    EXPECT_TRUE(std::filesystem::is_directory(*path));
    EXPECT_EQ(store.LoadLocalPath(), *path);
    EXPECT_EQ(store.DefaultLocalPath(), path) << "a second call finds the folder already there";

    fixtures::writeFile(config / "user-dirs.dirs",
                        "XDG_DOCUMENTS_DIR=\"" + (dir / "My \\\"Docs\\\"").string() + "\"\n");
    EXPECT_EQ(store.DefaultLocalPath(), (dir / "My \"Docs\"" / "Record").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "My \"Docs\"" / "Record"));

    // Forms the desktop does not write are ignored.
    fixtures::writeFile(config / "user-dirs.dirs",
                        "XDG_DOCUMENTS_DIR=\"Docs\"\n"
                        "XDG_DOCUMENTS_DIR=\"$HOMEDocs\"\n"
                        "XDG_DOCUMENTS_DIR=\"/unterminated\n");
    EXPECT_FALSE(store.DefaultLocalPath());
    EXPECT_FALSE(std::filesystem::exists(home / "Documents"));
}

TEST_F(SettingsStoreTest, TheDefaultLocalPathFailsWithoutSideEffectsWhenItCannotBeMade) {
    fixtures::writeFile(dir / "blocker", "a file, not a folder");
    fixtures::writeFile(config / "user-dirs.dirs",
                        "XDG_DOCUMENTS_DIR=\"" + (dir / "blocker").string() + "\"\n");
    SettingsStore store;
    EXPECT_FALSE(store.DefaultLocalPath());
    EXPECT_FALSE(std::filesystem::exists(file));
}
