// File kinds and playlists.
#include <gtest/gtest.h>

#include "tests/fixtures/TempDir.h"
#include "velkport/recordings/playback/MediaKind.h"
#include "velkport/recordings/playback/Playlist.h"

using namespace velkport::recordings::playback;

TEST(MediaKindTest, KindComesFromTheEndingAndPartFilesFromTheOneBefore) {
    const std::pair<const char*, MediaKind> cases[] = {
        {"a.mp3", MediaKind::Mp3},       {"A.MP3", MediaKind::Mp3},
        {"x.rts", MediaKind::Radio},     {"x.ts", MediaKind::Tv},
        {"x_1.ts.ots", MediaKind::Tv},   {"x_1.rts.ots", MediaKind::Radio},
        {"x.Rts.OTS", MediaKind::Radio}, {"x.ots", MediaKind::None},
        {"x.avi", MediaKind::None},      {"x.mp3.ots", MediaKind::None},
        {"ts", MediaKind::None},         {"", MediaKind::None},
    };
    for (const auto& [name, kind] : cases)
        EXPECT_EQ(MediaKindOf(name), kind) << name;
}

TEST(PlaylistTest, PartFilesFollowInTheOrderOfTheirNumbers) {
    fixtures::TempDir dir;
    for (const char* name : {"rec.ts", "rec_10.ts.ots", "rec_2.ts.ots", "REC_1.TS.OTS",
                             "rec_1.rts.ots", "rec_x.ts.ots", "other_1.ts.ots", "rec.ts.ots"})
        fixtures::writeFile(dir / name, "x");
    std::vector<std::string> names;
    for (const auto& p : RecordingPlaylist(dir / "rec.ts"))
        names.push_back(p.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"rec.ts", "REC_1.TS.OTS", "rec_2.ts.ots",
                                               "rec_10.ts.ots"}));
}
