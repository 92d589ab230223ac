#include "corvid/sharing/app/DesktopProgram.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "common/FileDescriptor.h"
#include "corvid/sharing/AutoStart.h"
#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/CorvidMessages.h"
#include "corvid/sharing/SambaAccount.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/SingleInstance.h"
#include "corvid/sharing/desktop/ServerControl.h"
#include "corvid/sharing/desktop/StartupSequence.h"
#include "corvid/sharing/ui/MainWindow.h"
#include "corvid/sharing/ui/SetupWizard.h"

namespace corvid::app {

namespace {

using namespace corvid::sharing;

// $CORVID_HOME/web, else share/corvid/web beside the program's folder.
std::string webDirectory() {
    if (const char* home = std::getenv("CORVID_HOME"); home != nullptr && *home != '\0')
        return (std::filesystem::path(home) / "web").string();
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (exe.parent_path().parent_path() / "share/corvid/web").lexically_normal().string();
}

MainWindow::Status windowStatus(receiver::LinkStatus status) {
    switch (status) {
        case receiver::LinkStatus::Online:
            return MainWindow::Online;
        case receiver::LinkStatus::Connecting:
            return MainWindow::Connecting;
        default:
            return MainWindow::Offline;
    }
}

}  // namespace

bool IsDesktopStart(int argc, char** argv) {
    return argc == 1 || (argc == 2 && SingleInstance::PackAddress(argv[1]).has_value());
}

int RunDesktop(int argc, char** argv) {
    const std::string argument =
        StartupSequence::ArgumentOf(argc, const_cast<const char* const*>(argv));
    // SIGTERM (the session ends), SIGINT and SIGHUP end Corvid as Exit does, VLC included; they
    // are blocked before any thread starts, so only the signal descriptor below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&stopSignals, s);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    SingleInstance instance;
    std::atomic<MainWindow*> target{nullptr};
    const bool first = instance.Acquire([&target](const std::string& address, bool show) {
        MainWindow* w = target.load();
        if (w != nullptr)
            QMetaObject::invokeMethod(
                w, [w, a = QString::fromStdString(address), show] { w->TakeAddress(a, show); },
                Qt::QueuedConnection);
    });
    if (!first) {
        if (!argument.empty() && instance.HandOver(argument))
            return 0;
        std::fprintf(stderr, "corvid is already running!\n");
        return 1;
    }

    QApplication app(argc, argv);
    CorvidMessages::instance().LoadLanguage(SharingSettings::defaultFolder() / "lang/config.ini");
    SharingSettings settings;
    if (!settings.LoadSettings())
        std::fprintf(stderr, "corvid: the settings file %s could not be written\n",
                     settings.settingsFile().c_str());

    ServerControl control(settings, webDirectory());
    CommandRunner runner;
    SambaAccount samba(runner, SharingSettings::sambaConfigFile());
    DesktopServices services;
    services.checkAccount = [&](const std::string& u, const std::string& p, std::string& why) {
        return samba.CheckAccount(u, p, why);
    };
    services.createAccount = [&](const std::string& u, const std::string& p, std::string& why) {
        return samba.CreateAccount(u, p, why);
    };
    services.deleteAccount = [&](const std::string& u, std::string& why) {
        return samba.DeleteAccount(u, why);
    };
    services.serviceEnabled = [&runner] {
        return runner.Run({"systemctl", "--user", "is-enabled", "corvid.service"}).ok();
    };
    services.setServiceEnabled = [&runner](bool on, std::string& why) {
        return AutoStart::SetServiceEnabled(runner, on, &why);
    };
    services.startServer = [&](bool show) { return control.StartServer(show); };
    services.reset = [&](bool show) { return control.Reset(show); };
    MainWindow* shown = nullptr;
    services.showMessage = [&shown](const QString& text) {
        QMessageBox::critical(shown, QStringLiteral("corvid"), text);
    };
    services.ask = [&shown](const QString& text) {
        return QMessageBox::question(shown, QStringLiteral("corvid"), text) == QMessageBox::Yes;
    };

    MainWindow window(settings, services);
    shown = &window;
    control.SetMessageSink([&window](const std::string& text) {
        if (window.services().showMessage)
            window.services().showMessage(Localized(text));
    });
    control.SetStatusSink(
        [&window](receiver::LinkStatus status) { window.SetStatus(windowStatus(status)); });
    target = &window;
    app.setQuitOnLastWindowClosed(window.tray() == nullptr);
    QObject::connect(&window, &MainWindow::exitRequested, &app, [&] {
        control.Shutdown();
        app.quit();
    });
    window.RefreshShareList();
    common::FileDescriptor stopFd(::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK));
    QSocketNotifier stopNotifier(stopFd.fd(), QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [&] {
        signalfd_siginfo info{};
        while (::read(stopFd.fd(), &info, sizeof info) > 0) {
        }
        app.quit();
    });

    StartupSequence sequence(
        [&settings] { return StartupSequence::NetworkUp(settings.receiverAddress); },
        [&](bool show) { control.StartServer(show); });
    QTimer timer;
    timer.setInterval(StartupSequence::kIntervalMs);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!sequence.Tick())
            timer.stop();
    });
    std::unique_ptr<SetupWizard> wizard;
    const auto action = StartupSequence::Decide(settings, argument);
    window.receiverEdit()->setText(QString::fromStdString(settings.receiverAddress));
    if (action == StartupSequence::Action::Wizard) {
        window.show();
        wizard = std::make_unique<SetupWizard>(settings, window.services(), &window);
        wizard->setWindowFlag(Qt::Window);
        QObject::connect(wizard.get(), &QWizard::finished, &window,
                         [&window] { window.RefreshShareList(); });
        wizard->show();
    } else {
        // Started with the session: the window stays hidden (in the tray) while it starts.
        if (action == StartupSequence::Action::InteractiveStart || window.tray() == nullptr)
            window.show();
        sequence.Arm(action);
        timer.start();
    }
    const int rc = app.exec();
    control.Shutdown();
    target = nullptr;
    return rc;
}

}  // namespace corvid::app
