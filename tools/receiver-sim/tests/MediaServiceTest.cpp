// The emulated receiver's MP3 / JPEG areas and game installs as a client sees them: names that
// try to leave the area, folder modes it does not know, the disk's size and what is stored on
// it, uploads and packages that do not fit, and game names that are no file names.

#include <gtest/gtest.h>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/media/MediaTransfer.h"
#include "velkport/shell/base/Progress.h"
#include "velkport/upgrade/GameInstaller.h"

using namespace velkport::media;
namespace fs = std::filesystem;

namespace {

// The emulated receiver with a disk of the given size, and a client of its MP3 area.
struct Sim {
    explicit Sim(std::uint64_t diskMiB = 250000) : sim({.diskSizeMiB = diskMiB}) {
        EXPECT_TRUE(sim.ok()) << sim.error();
        table.InitialiseChannels("127.0.0.1", sim->portBase());
        table.setTimeLimit(std::chrono::seconds(5));
    }
    fixtures::RunningSim sim;
    velkport::link::ChannelTable table;
    fixtures::RecordingPrompter prompter;
    MediaManager mp3{MediaType::Mp3, table, prompter};
};

}  // namespace

TEST(MediaService, NamesAndFoldersStayInsideTheArea) {
    Sim s;
    EXPECT_FALSE(s.mp3.CreateFolder("../escape"));
    EXPECT_FALSE(s.mp3.CreateFolder("..\\..\\escape"));
    EXPECT_FALSE(s.mp3.SetCurrentFolder("Top\\..\\..\\", kModeFolder));
    EXPECT_FALSE(s.mp3.SetCurrentFolder("Music\\", kModeFolder));  // no "Top\"
    EXPECT_TRUE(s.mp3.CreateFolder("Music"));
    EXPECT_FALSE(s.mp3.SetCurrentFolder("Top\\Music\\", 5));  // a mode it does not know
    EXPECT_FALSE(s.mp3.DeleteItem(".", kKindFolder));         // the area itself
    EXPECT_FALSE(s.mp3.GetFileSize("../../etc/passwd"));
    EXPECT_FALSE(fs::exists(s.sim / "escape"));
    EXPECT_TRUE(fs::is_directory(s.sim / "mp3/Music"));
}

TEST(MediaService, DiskIsItsSizeLessWhatIsStoredAndOverfullUploadsLeaveNothing) {
    fixtures::TempDir local;
    Sim s(8);
    s.sim.addRecording(false, "old", std::string(3 << 20, 'r'));
    const auto usage = s.mp3.GetDiskUsage();
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->totalKiB, 8u * 1024);
    EXPECT_EQ(usage->usedKiB, 3u * 1024);
    // The manager's own check lets 2 MB through (5 free, 2 + 2 needed); the receiver takes it.
    fixtures::writeFile(local / "a.mp3", std::string(2 << 20, 'a'));
    velkport::shell::NullProgress p;
    MediaTransfer t(s.mp3, local / "work");
    EXPECT_EQ(t.UploadFile(local / "a.mp3", p), kTransferDone);
    // A package larger than what is left is refused by the receiver and not kept.
    velkport::upgrade::GameHeader h;
    h.name = "../../Big";
    const auto head = h.Build();
    fixtures::writeFile(local / "big.img",
                        std::string(head.begin(), head.end()) + std::string(4 << 20, 'g'));
    velkport::upgrade::GameInstaller g(s.table, s.prompter);
    ASSERT_EQ(g.ChooseFile(local / "big.img"), velkport::upgrade::GameInstaller::Choice::Accepted);
    EXPECT_EQ(g.Install(p), kTransferFailed);
    EXPECT_TRUE(!fs::exists(s.sim / "games") || fs::is_empty(s.sim / "games"));
    // A fitting one lands under games/ whatever its name says.
    fixtures::writeFile(local / "small.img", std::string(head.begin(), head.end()) + "tiny");
    ASSERT_EQ(g.ChooseFile(local / "small.img"),
              velkport::upgrade::GameInstaller::Choice::Accepted);
    EXPECT_EQ(g.Install(p), kTransferDone);
    ASSERT_EQ(std::distance(fs::directory_iterator(s.sim / "games"), fs::directory_iterator()), 1);
}
