// A play request's location never reaches outside its share.

#include <gtest/gtest.h>

#include "corvid/receiver/MediaLocation.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/tests/MemoryShares.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::receiver {
namespace {

TEST(MediaLocation, OnlyFilesInsideAShareOrTheContentTreeAreFound) {
    fixtures::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir / "films" / "sub");
    fs::create_directories(dir / "private");
    fixtures::writeFile(dir / "films" / "sub" / "b.avi", "x");
    fixtures::writeFile(dir / "private" / "secret.avi", "x");
    fs::create_symlink(dir / "private" / "secret.avi", dir / "films" / "escape.avi");
    fs::create_symlink(dir / "films" / "sub" / "b.avi", dir / "films" / "inside.avi");
    sharing::MemoryShares system;
    system.shares = {{"Films", 0, "video", (dir / "films").string(), 1},
                     {"Gone", 0, "video", (dir / "missing").string(), 1}};
    sharing::SharingSettings settings(dir / "config", &system);
    ASSERT_TRUE(settings.LoadShares());
    const auto lookup = [&](std::string_view url) -> std::optional<fs::path> {
        if (url == "http://10.0.0.2:49152/content/video/0000000000000002/b.avi")
            return dir / "films" / "sub" / "b.avi";
        return std::nullopt;
    };
    const fs::path b = fs::canonical(dir / "films" / "sub" / "b.avi");
    const std::pair<std::string, std::optional<fs::path>> cases[] = {
        {"Films/sub/b.avi", b},
        {"films\\sub\\b.avi", b},
        {"Films/./sub//b.avi", b},
        {"Films/inside.avi", b},
        {"http://10.0.0.2:49152/content/video/0000000000000002/b.avi", b},
        {"HTTP://10.0.0.2:49152/content/video/0000000000000002/b.avi", std::nullopt},
        {"http://10.0.0.2/elsewhere.avi", std::nullopt},
        {"Films/../private/secret.avi", std::nullopt},
        {"Films/sub/..\\..\\private/secret.avi", std::nullopt},
        {"Films/escape.avi", std::nullopt},
        {dir.path().string() + "/films/sub/b.avi", std::nullopt},
        {"\\films\\sub\\b.avi", std::nullopt},
        {"Films/sub", std::nullopt},
        {"Films", std::nullopt},
        {"Other/b.avi", std::nullopt},
        {"Gone/b.avi", std::nullopt},
        {std::string("Films/sub/b.avi\0x", 17), std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [location, expected] : cases) {
        std::string why;
        EXPECT_EQ(MediaLocation::Resolve(location, settings, lookup, &why), expected) << location;
        EXPECT_EQ(why.empty(), expected.has_value()) << location;
    }
    EXPECT_FALSE(MediaLocation::Resolve(
        "http://10.0.0.2:49152/content/video/0000000000000002/b.avi", settings, nullptr));
}

}  // namespace
}  // namespace corvid::receiver
