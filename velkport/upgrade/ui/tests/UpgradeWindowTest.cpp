#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <vector>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/upgrade/ui/UpgradeWindow.h"

using velkport::shell::Manager;
using velkport::shell::ToolWindowEvent;
using velkport::upgrade::UpgradeWindow;

namespace {

class UpgradeWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        velkport::shell::MessageCatalogue::instance().SetLanguage(velkport::shell::kEnglish);
        ASSERT_TRUE(sim.ok()) << sim.error();
        std::filesystem::create_directories(software);
        app.receiverAddress = sim->address();
        app.ftpPort = sim->ftpPort();
        app.portBase = sim->portBase();
        app.userId = "root";
        app.pinCode = "4711";
        window = std::make_unique<UpgradeWindow>(
            app, prompter, [this](velkport::shell::ToolWindowEvent e) { events.push_back(e); });
        window->setReconnectDelay(0);
        window->show();
    }
    static receiversim::SimOptions withPin() {
        receiversim::SimOptions options;
        options.pin = "4711";
        return options;
    }

    // Presses Start and waits for the worker to end; the upload's result.
    bool startAndWait() {
        QSignalSpy done(window.get(), &UpgradeWindow::uploadFinished);
        QTest::mouseClick(window->startButton(), Qt::LeftButton);
        if (!done.wait(30000))
            return false;
        return done.at(0).at(0).toBool();
    }

    fixtures::RunningSim sim{withPin()};
    fixtures::TempDir pc;
    std::filesystem::path software = sim / "ftproot/System/Software";
    velkport::shell::AppContext app;
    fixtures::RecordingPrompter prompter;
    std::vector<velkport::shell::ToolWindowEvent> events;
    std::unique_ptr<UpgradeWindow> window;
};

}  // namespace

TEST_F(UpgradeWindowTest, OpensWithItsTextsAndNoProgressBarAndExitReportsTheWindowDone) {
    EXPECT_EQ(window->windowTitle(), "Upgrade");
    EXPECT_EQ(window->startButton()->text(), "Start");
    EXPECT_EQ(window->exitButton()->text(), "Exit");
    EXPECT_FALSE(window->progressBar()->isVisible());
    QTest::mouseClick(window->exitButton(), Qt::LeftButton);
    EXPECT_EQ(events,
              (std::vector<ToolWindowEvent>{{Manager::Upgrade, ToolWindowEvent::What::Closed}}));
}

TEST_F(UpgradeWindowTest, RefusedPinIsShownThenStartPlacesTheImageAndAsksForAReconnect) {
    const std::string image = fixtures::randomBytes(2 * 1024 * 1024 + 17, 3);
    fixtures::writeFile(pc / "QX7100.data", image);
    window->pathField()->setText(QString::fromStdString((pc / "QX7100.data").string()));
    app.pinCode = "0000";
    EXPECT_FALSE(startAndWait());
    EXPECT_FALSE(prompter.entries.empty());
    EXPECT_TRUE(window->startButton()->isEnabled());
    EXPECT_TRUE(events.empty());

    // Start can be pressed again.
    app.pinCode = "4711";
    prompter.entries.clear();
    QSignalSpy progress(window.get(), &UpgradeWindow::progressChanged);
    ASSERT_TRUE(startAndWait());
    EXPECT_EQ(fixtures::readFile(software / "firmware.bin"), image);
    EXPECT_EQ(window->progressBar()->value(), 100);
    EXPECT_EQ(window->progressBar()->format(), "100.00 %");
    std::vector<int> steps;
    for (const auto& args : progress)
        steps.push_back(args.at(0).toInt());
    EXPECT_EQ(steps, (std::vector<int>{0, 10, 30, 100}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !events.empty(); }, 5000));
    EXPECT_EQ(events, (std::vector<ToolWindowEvent>{
                          {Manager::Upgrade, ToolWindowEvent::What::ReceiverRestarts}}));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(UpgradeWindowTest, EmptyPathFailsAtTheTransferStepAndEditingThePathResetsTheProgress) {
    EXPECT_FALSE(startAndWait());
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"Can not open local file"}));
    EXPECT_EQ(window->progressBar()->format(), "30.00 %");
    EXPECT_EQ(window->progressBar()->value(), 30);
    QTest::keyClicks(window->pathField(), "x");
    EXPECT_EQ(window->progressBar()->value(), 0);
    EXPECT_EQ(window->progressBar()->format(), " 0.00 %");
    EXPECT_TRUE(window->startButton()->isEnabled());
}
