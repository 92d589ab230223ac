#include <gtest/gtest.h>

#include <future>
#include <optional>

#include "tests/fixtures/PyFtpServer.h"
#include "tests/fixtures/RecordingProgress.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/channels/ChannelExchange.h"
#include "velkport/channels/ChannelListFile.h"
#include "velkport/channels/tests/ChannelTestData.h"

namespace velkport::channels {
namespace {

namespace fs = std::filesystem;

const char* const kFolder = "ftproot/System/Programmliste (Channel List)";

// The same exchange against the emulated receiver's FTP server and against pyftpdlib.
enum class Peer { ReceiverSim, PyFtpd };

class Exchange : public ::testing::TestWithParam<Peer> {
  protected:
    void SetUp() override {
        fs::create_directories(dir / "cache");
        if (GetParam() == Peer::ReceiverSim) {
            sim.emplace();
            ASSERT_TRUE(sim->ok()) << sim->error();
            root = sim->root();
            context.ftpPort = sim->sim().ftpPort();
        } else {
            root = dir / "disk";
            fs::create_directories(root / kFolder);
            fixtures::PyFtpOptions o;
            o.root = root;
            py = std::make_unique<fixtures::PyFtpServer>(o);
            ASSERT_TRUE(py->ok()) << py->error();
            context.ftpPort = py->port();
        }
        context.receiverAddress = "127.0.0.1";
        context.userId = "root";
        context.pinCode = "0000";
        exchange.setPacing(false);
        exchange.setTempFolder(dir / "cache");
        exchange.setTimeout(std::chrono::seconds(10));
    }
    void TearDown() override { exchange.wait(); }
    fs::path remote() const { return root / kFolder / "channel.xml"; }
    // The user's list in the editor: one TV service.
    void show(const std::string& name, int number = 1) {
        editor.database().addService(testdata::service(kTv, number, name));
        editor.fillFromDatabase();
    }

    fixtures::TempDir dir;
    fs::path root;
    std::optional<fixtures::RunningSim> sim;
    std::unique_ptr<fixtures::PyFtpServer> py;
    shell::AppContext context;
    fixtures::RecordingPrompter prompter;
    ChannelListEditor editor{prompter};
    fixtures::RecordingProgress progress;
    ChannelExchange exchange{context, editor, progress};
};

TEST_P(Exchange, LoadReadsTheReceiversListAndRemovesTheTemporaryCopy) {
    fixtures::writeFile(remote(), testdata::listXml(testdata::serviceXml(1, "One", "TV") +
                                                    testdata::serviceXml(2, "Two", "TV") +
                                                    testdata::serviceXml(1, "Radio", "Radio")));
    ASSERT_TRUE(exchange.loadChannelList().done());
    EXPECT_EQ(editor.rowCount(), 2);
    EXPECT_EQ(editor.database().countServices(kRadio), 1);
    EXPECT_FALSE(fs::exists(exchange.tempPath()));
    EXPECT_EQ(exchange.tempPath().parent_path(), dir / "cache");
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(progress.captions, (std::vector<std::string>{"Loading Channels ..."}));
    EXPECT_EQ(progress.total, 100u);
    EXPECT_EQ(progress.positions, (std::vector<std::uint64_t>{10, 20, 50, 100}));
    EXPECT_EQ(progress.ends, 1);
}

TEST_P(Exchange, SendUploadsTheWrittenList) {
    show("Sent");
    ASSERT_TRUE(exchange.sendChannelList().done());
    ChannelDatabase back;
    ASSERT_EQ(ChannelListFile::read(back, remote(), prompter), 0);
    ASSERT_EQ(back.countServices(kTv), 1);
    EXPECT_EQ(back.service(kTv, 0)->name, "Sent");
    EXPECT_FALSE(fs::exists(exchange.tempPath()));
    EXPECT_EQ(progress.captions, (std::vector<std::string>{"Sending Channels ..."}));
    EXPECT_EQ(progress.ends, 1);
}

TEST_P(Exchange, AMissingOrUnreadableListFailsTheLoadAndKeepsTheUsersList) {
    show("old");
    EXPECT_TRUE(exchange.loadChannelList().failed());
    ASSERT_FALSE(prompter.entries.empty());
    EXPECT_EQ(prompter.entries.back().icon, shell::PromptIcon::Error);
    EXPECT_EQ(prompter.entries.back().text.substr(0, 3), "550");
    fixtures::writeFile(remote(), "<Servicelist><Service><Name>cut off");
    EXPECT_TRUE(exchange.loadChannelList().failed());
    ASSERT_EQ(editor.rowCount(), 1);
    EXPECT_EQ(editor.row(0).service->name, "old");
}

TEST_P(Exchange, CancelStopsALoadQuietlyAndKeepsTheUsersList) {
    fixtures::writeFile(remote(), testdata::listXml(testdata::serviceXml(1, "New", "TV")));
    show("old");
    progress.cancel = true;
    EXPECT_TRUE(exchange.loadChannelList().stopped());
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(editor.row(0).service->name, "old");
    EXPECT_FALSE(fs::exists(exchange.tempPath()));
}

TEST_P(Exchange, ASendWhoseCopyCannotBeWrittenFailsWithTheReason) {
    fixtures::writeFile(remote(), "untouched");
    show("a");
    exchange.setTempFolder(dir / "no" / "such" / "folder");
    EXPECT_TRUE(exchange.sendChannelList().failed());
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_NE(prompter.entries[0].text.find("tempchannel.xml"), std::string::npos);
    EXPECT_EQ(fixtures::readFile(remote()), "untouched");
}

TEST_P(Exchange, ARefusedFolderChangeStopsBothDirections) {
    fs::remove_all(root / "ftproot");
    show("a");
    EXPECT_TRUE(exchange.sendChannelList().failed());
    ASSERT_FALSE(prompter.entries.empty());
    EXPECT_EQ(prompter.entries.back().text.substr(0, 3), "550");
    EXPECT_TRUE(exchange.loadChannelList().failed());
    EXPECT_EQ(prompter.entries.back().text.substr(0, 3), "550");
}

TEST_P(Exchange, AWrongPinIsReportedWithTheLogonReply) {
    context.pinCode = "9999";
    fixtures::writeFile(remote(), testdata::listXml(testdata::serviceXml(1, "One", "TV")));
    const shell::JobResult result = exchange.loadChannelList();
    EXPECT_TRUE(result.failed());
    ASSERT_FALSE(prompter.entries.empty());
    EXPECT_EQ(prompter.entries.back().text.substr(0, 3), "530");
    EXPECT_EQ(result.message, prompter.entries.back().text);
}

TEST_P(Exchange, AnEmptyDatabaseOrADeclinedRenumberingUploadsNothing) {
    fixtures::writeFile(remote(), "untouched");
    EXPECT_TRUE(exchange.sendChannelList().stopped());
    EXPECT_TRUE(prompter.entries.empty());  // an empty list says nothing

    fixtures::writeFile(exchange.tempPath(), "an old temporary copy");
    show("gap", 3);
    prompter.answerNo();
    EXPECT_TRUE(exchange.sendChannelList().stopped());
    EXPECT_EQ(fixtures::readFile(remote()), "untouched");
    EXPECT_TRUE(progress.captions.empty());
}

TEST_P(Exchange, TheWorkerThreadReportsItsResultAndRefusesASecondTransfer) {
    fixtures::writeFile(remote(), testdata::listXml(testdata::serviceXml(1, "One", "TV")));
    std::promise<shell::JobResult> result;
    ASSERT_TRUE(exchange.startLoad([&](shell::JobResult r) { result.set_value(r); }));
    EXPECT_FALSE(exchange.startSend(nullptr));
    std::future<shell::JobResult> ended = result.get_future();
    ASSERT_EQ(ended.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    exchange.wait();
    EXPECT_TRUE(ended.get().done());
    EXPECT_FALSE(exchange.loadRunning());
    EXPECT_EQ(editor.rowCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Peers, Exchange, ::testing::Values(Peer::ReceiverSim, Peer::PyFtpd),
                         [](const auto& p) {
                             return p.param == Peer::ReceiverSim ? std::string("ReceiverSim")
                                                                 : std::string("PyFtpd");
                         });

}  // namespace
}  // namespace velkport::channels
