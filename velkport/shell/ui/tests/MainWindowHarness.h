#pragma once
// The main window against the emulated receiver, for the GUI tests of the shell's ui and app
// folders: the receiver in-process with PIN 1234, the window's settings and program folder in a
// folder of their own, the channel table started at the first tick, and the Connect dialog filled
// in and pressed from a script of inputs (one Connect with the right PIN unless a test says
// otherwise; Cancel once the script has run out).

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/ui/ConnectStep.h"
#include "velkport/shell/ui/MainWindow.h"
#include "velkport/shell/ui/ReceiverLinkProbe.h"
#include "velkport/shell/widgets/ConnectDialog.h"

namespace velkport::shell {

// What the user does in the Connect dialog.
struct ConnectInput {
    enum Press { Connect, OffLine, Cancel } press = Connect;
    std::string address = "127.0.0.1";
    std::string pin = "1234";
};

class MainWindowHarness : public ::testing::Test {
  protected:
    void SetUp() override {
        MessageCatalogue::instance().SetLanguage(kEnglish);
        ASSERT_TRUE(sim.ok()) << sim.error();
        std::filesystem::create_directories(sim / "ftproot/System/Software");
        app.ftpPort = sim->ftpPort();
        app.portBase = sim->portBase();
        app.programFolder = config.path();
        table.setTimeLimit(std::chrono::milliseconds(3000));
        table.setPrompter(&prompter);

        window = std::make_unique<MainWindow>(app, prompter, probe);
        window->setSettingsFile(settings.file());
        window->setChannelInitialiser([this](const std::string& a, std::uint16_t base) {
            return table.InitialiseChannels(a, base);
        });
        window->setConnectStep([this] {
            ++connects;
            return RunConnectStep(app, prompter, settings, window.get(), [this](ConnectDialog& d) {
                const ConnectInput in =
                    inputs.empty() ? ConnectInput{ConnectInput::Cancel} : inputs.front();
                if (!inputs.empty())
                    inputs.erase(inputs.begin());
                QTimer::singleShot(0, &d, [&d, in] {
                    d.addressField()->setText(QString::fromStdString(in.address));
                    d.pinField()->setText(QString::fromStdString(in.pin));
                    QPushButton* b = in.press == ConnectInput::Connect   ? d.connectButton()
                                     : in.press == ConnectInput::OffLine ? d.offLineButton()
                                                                         : d.cancelButton();
                    QTest::mouseClick(b, Qt::LeftButton);
                });
            });
        });
    }

    void TearDown() override {
        window.reset();
        table.ShutdownChannels();
        sim->stop();
    }

    // Starts the window and waits for the first timer tick; the online value it gave.
    bool startAndTick() {
        QSignalSpy tick(window.get(), &MainWindow::channelsInitialised);
        if (!window->startUp())
            return false;
        window->show();
        if (!tick.wait(5000))
            return false;
        return tick.at(0).at(0).toBool();
    }

    fixtures::RunningSim sim{{.pin = "1234"}};
    fixtures::TempDir config;
    AppContext app;
    fixtures::RecordingPrompter prompter;
    velkport::link::ChannelTable table;
    ReceiverLinkProbe probe{table, prompter};
    SettingsStore settings{config / "Velkport.ini"};
    std::unique_ptr<MainWindow> window;
    std::vector<ConnectInput> inputs = {{}};
    int connects = 0;  // connect steps run
};

}  // namespace velkport::shell
