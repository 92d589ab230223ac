// velkport-stage: puts Velkport's windows on the screen one after the other, against an
// emulated receiver started in-process with the demo's sample channel list, so that
// tools/screenshots.sh can photograph them. For each window it prints
//   shot NAME WINDOW-ID
// on standard output and waits for one line on standard input before going on.

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTreeWidget>

#include <cstdio>
#include <string>

#include "tests/fixtures/StageShot.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/ReceiverSim.h"
#include "velkport/channels/ChannelListEditor.h"
#include "velkport/editor/ui/EditorWindow.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/ui/MainWindow.h"
#include "velkport/shell/ui/ReceiverLinkProbe.h"
#include "velkport/shell/widgets/ConnectDialog.h"
#include "velkport/shell/widgets/QtPrompter.h"
#include "velkport/upgrade/ui/UpgradeWindow.h"

using namespace velkport;

using fixtures::stageShot;

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    shell::MessageCatalogue::instance().SetLanguage(shell::kEnglish);

    fixtures::TempDir disk;
    const auto list = disk / "ftproot/System/Programmliste (Channel List)";
    std::filesystem::create_directories(list);
    std::filesystem::create_directories(disk / "ftproot/System/Software");
    std::filesystem::copy_file(
        std::filesystem::path(VELK_SOURCE_DIR) / "tools/demo/sample/channel.xml",
        list / "channel.xml");
    receiversim::SimOptions options;
    options.root = disk.path();
    options.pin = "1357";
    receiversim::ReceiverSim sim(options);
    std::string error;
    if (!sim.start(&error)) {
        std::cerr << "velkport-stage: " << error << "\n";
        return 1;
    }

    shell::AppContext app;
    app.receiverAddress = sim.address();
    app.userId = "root";
    app.pinCode = "1357";
    app.ftpPort = sim.ftpPort();
    app.portBase = sim.portBase();
    shell::SilentPrompter prompter(true);
    link::ChannelTable table;
    table.InitialiseChannels(app.receiverAddress, app.portBase);
    shell::ReceiverLinkProbe probe(table, prompter);

    // The Connect dialog, filled in.
    {
        shell::ConnectDialog connect;
        connect.SetAddress(app.receiverAddress);
        connect.pinField()->setText("1357");
        stageShot("connect-dialog", connect);
    }

    // The main window at the bottom right of the screen, online.
    shell::MainWindow main(app, prompter, probe);
    main.setChannelInitialiser(
        [&](const std::string& a, std::uint16_t b) { return table.InitialiseChannels(a, b); });
    main.setManagerFactory(
        shell::Manager::Channel,
        [&](bool online, velkport::shell::ToolWindowNotify notify, QWidget* owner) {
            return new editor::EditorWindow(app, prompter, online, std::move(notify), owner);
        });
    main.setManagerFactory(shell::Manager::Upgrade,
                           [&](bool, velkport::shell::ToolWindowNotify notify, QWidget* owner) {
                               return new upgrade::UpgradeWindow(app, prompter, std::move(notify),
                                                                 owner);
                           });
    QSignalSpy tick(&main, &shell::MainWindow::channelsInitialised);
    main.startUp();
    main.show();
    tick.wait(5000);
    stageShot("main-window", main);

    // The channel editor with the receiver's list loaded, a favorite group open.
    main.openManager(shell::Manager::Channel);
    auto* editorWindow =
        qobject_cast<editor::EditorWindow*>(main.managerWindow(shell::Manager::Channel));
    if (editorWindow != nullptr) {
        editorWindow->exchange().setPacing(false);
        QSignalSpy loaded(editorWindow, &editor::EditorWindow::transferFinished);
        editorWindow->loadFromReceiver();
        loaded.wait(30000);
        QTreeWidget* tree = editorWindow->favoritesTree();
        if (tree->topLevelItem(0)->childCount() > 0)
            tree->setCurrentItem(tree->topLevelItem(0)->child(0));
        editorWindow->serviceList()->selectRow(2);
        stageShot("channel-editor", *editorWindow);
        editorWindow->hide();
    }

    // The Upgrade window after an upload of the sample image.
    main.openManager(shell::Manager::Upgrade);
    auto* up = qobject_cast<upgrade::UpgradeWindow*>(main.managerWindow(shell::Manager::Upgrade));
    if (up != nullptr) {
        up->setReconnectDelay(600000);  // stay on the finished upload for the picture
        up->pathField()->setText(QString::fromStdString(std::string(VELK_SOURCE_DIR) +
                                                        "/tools/demo/sample/firmware-sample.bin"));
        QSignalSpy done(up, &upgrade::UpgradeWindow::uploadFinished);
        up->start();
        done.wait(30000);
        stageShot("upgrade-window", *up);
    }
    table.ShutdownChannels();
    sim.stop();
    return 0;
}
