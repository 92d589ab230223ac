#include <gtest/gtest.h>

#include <vector>

#include "tests/fixtures/PyFtpServer.h"
#include "tests/fixtures/RecordingProgress.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/upgrade/FirmwareUpgrade.h"

using velkport::shell::PromptIcon;
using velkport::upgrade::FirmwareUpgrade;

namespace {

// A real FTP server with the receiver's software folder.
class FirmwareUpgradeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(software);
        ASSERT_TRUE(server.ok()) << server.error();
        app.receiverAddress = server.address();
        app.ftpPort = server.port();
        app.userId = "root";
        app.pinCode = "0000";
    }

    bool run(const std::filesystem::path& image) {
        return FirmwareUpgrade(app, prompter).Run(image, progress).done();
    }

    fixtures::TempDir root;
    fixtures::TempDir pc;
    std::filesystem::path software = root / "ftproot/System/Software";
    fixtures::PyFtpServer server{fixtures::PyFtpOptions{root.path()}};
    velkport::shell::AppContext app;
    fixtures::RecordingPrompter prompter;
    fixtures::RecordingProgress progress;
};

}  // namespace

TEST_F(FirmwareUpgradeTest, ImageArrivesUnchangedAsFirmwareBinWhateverItsName) {
    const std::string image = fixtures::randomBytes(300000, 7);
    fixtures::writeFile(pc / "QX7100_v2.data.txt", image);
    ASSERT_TRUE(run(pc / "QX7100_v2.data.txt"));
    EXPECT_EQ(fixtures::readFile(software / "firmware.bin"), image);
    EXPECT_EQ(progress.positions, (std::vector<std::uint64_t>{10, 30, 100}));
    EXPECT_EQ(progress.total, 100u);
    EXPECT_EQ(progress.ends, 1);
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(FirmwareUpgradeTest, RefusedPinShowsTheClientsReplyAndSendsNothing) {
    fixtures::writeFile(pc / "fw.data", "image");
    app.pinCode = "9999";
    FirmwareUpgrade upgrade(app, prompter);
    const velkport::shell::JobResult result = upgrade.Run(pc / "fw.data");
    EXPECT_TRUE(result.failed());
    ASSERT_FALSE(prompter.entries.empty());
    EXPECT_EQ(prompter.entries.back().text, upgrade.LastReply());
    EXPECT_EQ(result.message, upgrade.LastReply());
    EXPECT_EQ(prompter.entries.back().icon, PromptIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(software / "firmware.bin"));
}

TEST_F(FirmwareUpgradeTest, MissingSoftwareFolderStopsAfterTheLogonWithTheServersRefusal) {
    std::filesystem::remove_all(software);
    fixtures::writeFile(pc / "fw.data", "image");
    EXPECT_FALSE(run(pc / "fw.data"));
    EXPECT_EQ(progress.positions, (std::vector<std::uint64_t>{10}));
    EXPECT_EQ(progress.ends, 1);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text.substr(0, 3), "550");
}

TEST_F(FirmwareUpgradeTest, UnreachableReceiverIsReportedWithoutProgress) {
    app.ftpPort = 1;  // nothing listens on port 1 of the loopback
    fixtures::writeFile(pc / "fw.data", "image");
    EXPECT_FALSE(run(pc / "fw.data"));
    EXPECT_TRUE(progress.captions.empty());
    EXPECT_EQ(prompter.entries.back().text, "Unable to connect to server");
}
