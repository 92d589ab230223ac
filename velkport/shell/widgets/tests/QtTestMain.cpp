// The main of every GUI test program: a QApplication on Qt's offscreen platform (no display
// needed), then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Settings of the tests never touch the user's own.
    char configHome[] = "/tmp/velk-ui-test-XXXXXX";
    if (mkdtemp(configHome) != nullptr)
        setenv("XDG_CONFIG_HOME", configHome, 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(configHome, ec);
    return rc;
}
