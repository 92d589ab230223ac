// corvid-stage: puts Corvid's wizard and main window on the screen with sample shares, so that
// tools/screenshots.sh can photograph them. For each window it prints
//   shot NAME WINDOW-ID
// on standard output and waits for one line on standard input before going on.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <string>

#include "corvid/sharing/CorvidMessages.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/tests/MemoryShares.h"
#include "corvid/sharing/ui/MainWindow.h"
#include "corvid/sharing/ui/SetupWizard.h"
#include "corvid/sharing/ui/WizardSharePage.h"
#include "tests/fixtures/StageShot.h"
#include "tests/fixtures/TempDir.h"

using namespace corvid::sharing;

using fixtures::stageShot;

int main(int argc, char** argv) {
    fixtures::TempDir home;
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    QApplication app(argc, argv);
    CorvidMessages::instance().SetLanguage(CorvidMessages::English);
    for (const char* folder : {"Pictures", "Music", "Videos", "Recordings"})
        std::filesystem::create_directories(home / folder);
    MemoryShares system;
    SharingSettings settings(home / "config/corvid", &system);
    std::filesystem::create_directories(home / "config/corvid");
    settings.LoadSettings();
    settings.receiverAddress = "192.168.1.20";
    DesktopServices services;
    services.checkAccount = [](const std::string&, const std::string&, std::string&) {
        return true;
    };
    services.showMessage = [](const QString&) {};
    services.ask = [](const QString&) { return true; };
    services.startServer = [](bool) { return 1; };

    SetupWizard wizard(settings, services);
    wizard.show();
    wizard.next();
    wizard.upnpButton()->setChecked(true);
    wizard.next();
    wizard.passwordEdit()->setText(QStringLiteral("secret"));
    wizard.next();
    wizard.next();
    auto* music = wizard.sharePage(SetupWizard::ShareMusic);
    music->pathEdit()->setText(QString::fromStdString((home / "Music").string()));
    music->nameEdit()->setText(QStringLiteral("Music"));
    music->AddShare();
    music->pathEdit()->setText(QString::fromStdString((home / "Recordings").string()));
    stageShot("corvid-wizard", wizard);
    wizard.hide();

    system.shares.push_back({"Pictures", 0, "jpeg", (home / "Pictures").string(), 1});
    system.shares.push_back({"Videos", 0, "video", (home / "Videos").string(), 1});
    system.shares.push_back({"Recordings", 0, "record", (home / "Recordings").string(), 0});
    system.shares.push_back({"OldFilms", 0, "video", (home / "gone").string(), 1});
    MainWindow window(settings, services);
    window.RefreshShareList();
    window.SetStatus(MainWindow::Online);
    stageShot("corvid-main-window", window);
    return 0;
}
