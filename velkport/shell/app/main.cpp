// velkport: the receiver manager on the desktop.
//   velkport [--ftp-port N] [--port-base N] [pass=yes]
// The ports (also VELK_FTP_PORT and VELK_PORT_BASE) point the program at an emulated receiver;
// a real receiver uses 21 and 34000. "pass=yes" is accepted and ignored.

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "velkport/link/ChannelTable.h"
#include "velkport/shell/ProgramFolder.h"
#include "velkport/shell/SingleInstance.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/SettingsStore.h"
#include "velkport/shell/ui/ConnectStep.h"
#include "velkport/shell/ui/MainWindow.h"
#include "velkport/shell/ui/ReceiverLinkProbe.h"
#include "velkport/shell/widgets/QtPrompter.h"
// The manager windows built in (the VELK_*_WINDOW options).
#ifdef VELK_HAVE_UPGRADE
#include "velkport/upgrade/ui/GameInstallerWindow.h"
#include "velkport/upgrade/ui/UpgradeWindow.h"
#endif
#ifdef VELK_HAVE_EDITOR
#include "velkport/editor/ui/EditorWindow.h"
#endif
#ifdef VELK_HAVE_RECORDINGS
#include "velkport/recordings/ui/RecordingsWindow.h"
#endif
#ifdef VELK_HAVE_MEDIA
#include "velkport/media/ui/MediaWindow.h"
#include "velkport/recordings/playback/ui/PlayerWindow.h"
#endif

namespace {

using namespace velkport::shell;

std::optional<std::uint16_t> ParsePort(const char* text) {
    if (text == nullptr || *text == '\0')
        return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (*end != '\0' || v <= 0 || v > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(v);
}

int Usage() {
    std::cerr << "usage: velkport [--ftp-port N] [--port-base N]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velkport"));
    QApplication::setDesktopFileName(QStringLiteral("velkport"));

    AppContext app;
    if (auto p = ParsePort(std::getenv("VELK_FTP_PORT")))
        app.ftpPort = *p;
    if (auto p = ParsePort(std::getenv("VELK_PORT_BASE")))
        app.portBase = *p;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("pass=yes"))
            continue;  // the marker of an elevated restart elsewhere; nothing to do here
        if ((a == QLatin1String("--ftp-port") || a == QLatin1String("--port-base")) &&
            i + 1 < args.size()) {
            const std::string value = args[++i].toStdString();
            auto port = ParsePort(value.c_str());
            if (!port)
                return Usage();
            (a == QLatin1String("--ftp-port") ? app.ftpPort : app.portBase) = *port;
            continue;
        }
        return Usage();
    }

    RecordProgramLocation(app);
    ChooseLanguage(app);

    auto instance = SingleInstance::Acquire();
    if (!instance) {
        QMessageBox::critical(nullptr, QString::fromStdString(Msg(0)),
                              QString::fromStdString(SingleInstance::AlreadyRunningText()));
        return 1;
    }

    MessageBoxPrompter prompter;
    auto& table = velkport::link::ChannelTable::process();
    table.setPrompter(&prompter);
    ReceiverLinkProbe probe(table, prompter);
    SettingsStore settings;

    MainWindow window(app, prompter, probe);
    prompter.setParent(&window);
    window.setSettingsFile(settings.file());
    window.setChannelInitialiser([&table](const std::string& address, std::uint16_t portBase) {
        return table.InitialiseChannels(address, portBase);
    });
    window.setUrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); });
    window.setProgramStarter([](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    });
#ifdef VELK_HAVE_UPGRADE
    window.setManagerFactory(
        Manager::Upgrade,
        [&](bool, velkport::shell::ToolWindowNotify notify, QWidget* owner) -> QWidget* {
            return new velkport::upgrade::UpgradeWindow(app, prompter, std::move(notify), owner);
        });
    window.setManagerFactory(
        Manager::Game,
        [&](bool online, velkport::shell::ToolWindowNotify notify, QWidget* owner) -> QWidget* {
            return velkport::upgrade::GameInstallerWindow::Create(table, prompter, online,
                                                                  std::move(notify), owner);
        });
#endif
#ifdef VELK_HAVE_MEDIA
    for (const auto& [slot, type] : {std::pair{Manager::Mp3, velkport::media::MediaType::Mp3},
                                     std::pair{Manager::Jpeg, velkport::media::MediaType::Jpeg}})
        window.setManagerFactory(
            slot,
            [&, type = type](bool online, velkport::shell::ToolWindowNotify notify,
                             QWidget* owner) -> QWidget* {
                QWidget* w = velkport::media::MediaWindow::Create(type, table, prompter, online,
                                                                  std::move(notify), owner);
                // "Open" plays an MP3 in the PC player; pictures go to the desktop's viewer.
                if (type == velkport::media::MediaType::Mp3)
                    static_cast<velkport::media::MediaWindow*>(w)->setFileOpener(
                        [&prompter](const QString& path) {
                            auto* player =
                                new velkport::recordings::playback::PlayerWindow(prompter);
                            player->setAttribute(Qt::WA_DeleteOnClose);
                            player->show();
                            if (!player->OpenRecording(path.toStdString()))
                                player->close();
                        });
                return w;
            });
#endif
#ifdef VELK_HAVE_EDITOR
    window.setManagerFactory(
        Manager::Channel,
        [&](bool online, velkport::shell::ToolWindowNotify notify, QWidget* owner) -> QWidget* {
            return new velkport::editor::EditorWindow(app, prompter, online, std::move(notify),
                                                      owner);
        });
#endif
#ifdef VELK_HAVE_RECORDINGS
    window.setManagerFactory(
        Manager::Record,
        [&](bool online, velkport::shell::ToolWindowNotify notify, QWidget* owner) -> QWidget* {
            return velkport::recordings::RecordingsWindow::Create(table, prompter, online,
                                                                  std::move(notify), owner);
        });
#endif
    window.setConnectStep([&] { return RunConnectStep(app, prompter, settings, &window); });

    if (!window.startUp())
        return 0;
    window.show();
    const int rc = QApplication::exec();
    table.ShutdownChannels();
    return rc;
}
