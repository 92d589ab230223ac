#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <cstdlib>

#include "corvid/sharing/CorvidMessages.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/tests/MemoryShares.h"
#include "corvid/sharing/ui/MainWindow.h"
#include "corvid/sharing/ui/SettingsDialog.h"
#include "corvid/sharing/ui/SetupWizard.h"
#include "corvid/sharing/ui/ShareInfoDialog.h"
#include "corvid/sharing/ui/VlcOptionsForm.h"
#include "corvid/sharing/ui/WizardSharePage.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::sharing {
namespace {

class CorvidWindowsTest : public ::testing::Test {
  protected:
    CorvidWindowsTest() {
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        settings.LoadSettings();
        CorvidMessages::instance().SetLanguage(CorvidMessages::English);
        services.checkAccount = [this](const std::string& user, const std::string& password,
                                       std::string&) {
            return user == "pvr" && password == "right";
        };
        services.showMessage = [this](const QString& m) { messages << m; };
        services.ask = [](const QString&) { return true; };
        services.startServer = [this](bool show) {
            starts.push_back(show);
            return startResult;
        };
    }
    fixtures::TempDir home;
    MemoryShares system;
    SharingSettings settings{home / "config/corvid", &system};
    DesktopServices services;
    QStringList messages;
    std::vector<bool> starts;
    int startResult = 0;
};

TEST_F(CorvidWindowsTest, WizardPagesComeInOrderAndStayWhileTheirChecksRefuse) {
    std::filesystem::create_directories(home / "rec1");
    std::filesystem::create_directories(home / "rec2");
    SetupWizard wizard(settings, services);
    wizard.show();
    EXPECT_EQ(wizard.currentId(), SetupWizard::Welcome);
    wizard.next();
    ASSERT_EQ(wizard.currentId(), SetupWizard::ServerType);
    wizard.next();
    EXPECT_EQ(wizard.currentId(), SetupWizard::ServerType) << "no server type chosen";
    EXPECT_EQ(settings.serverType, 0u);
    wizard.fileSharingButton()->setChecked(true);
    wizard.next();
    ASSERT_EQ(wizard.currentId(), SetupWizard::Login);
    EXPECT_EQ(settings.serverType, 2u);

    wizard.loginEdit()->setText(QStringLiteral("pvr"));
    wizard.passwordEdit()->setText(QStringLiteral("wrong"));
    wizard.next();
    EXPECT_EQ(wizard.currentId(), SetupWizard::Login) << "a wrong account";
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.back().startsWith(QStringLiteral("ID or Password is faild")));
    wizard.passwordEdit()->setText(QStringLiteral("right"));
    wizard.next();
    EXPECT_EQ(settings.user, "pvr");
    EXPECT_EQ(settings.password, "right");

    const SetupWizard::Page order[] = {SetupWizard::ShareJpeg, SetupWizard::ShareMusic,
                                       SetupWizard::ShareVideo, SetupWizard::ShareRecord};
    for (auto page : order) {
        EXPECT_EQ(wizard.currentId(), page);
        if (page != SetupWizard::ShareRecord)
            wizard.next();
    }
    auto* record = wizard.sharePage(SetupWizard::ShareRecord);
    record->ChooseFolder(QString::fromStdString((home / "nowhere").string()));
    EXPECT_EQ(messages.back(), QStringLiteral("Unknown Directory"));
    record->ChooseFolder(QString::fromStdString((home / "rec1").string()));
    EXPECT_EQ(record->nameEdit()->text(), QStringLiteral("rec1"));
    EXPECT_TRUE(record->AddShare());
    record->ChooseFolder(QString::fromStdString((home / "rec2").string()));
    EXPECT_FALSE(record->AddShare()) << "a second record share";
    EXPECT_TRUE(
        messages.back().startsWith(QStringLiteral("Can not share more than one in case RECORD")));
    EXPECT_EQ(record->list()->count(), 1);

    wizard.next();
    EXPECT_EQ(wizard.currentId(), SetupWizard::Setting);
    wizard.next();
    ASSERT_EQ(wizard.currentId(), SetupWizard::Information);
    wizard.receiverEdit()->setText(QStringLiteral("192.168.1.20"));
    wizard.next();
    EXPECT_EQ(wizard.currentId(), SetupWizard::Information) << "the start failed";
    startResult = 1;
    wizard.next();
    EXPECT_EQ(wizard.currentId(), SetupWizard::Finish);
    EXPECT_EQ(starts, (std::vector<bool>{true, true}));
    EXPECT_EQ(settings.receiverAddress, "192.168.1.20");
    wizard.back();
    EXPECT_EQ(wizard.currentId(), SetupWizard::Information);
}

TEST_F(CorvidWindowsTest, ShareListMarksSharesWhoseFolderHasGone) {
    std::filesystem::create_directories(home / "music");
    system.shares.push_back({"music", 0, "music", (home / "music").string(), 0});
    system.shares.push_back({"films", 0, "video", (home / "gone").string(), 1});
    MainWindow window(settings, services);
    window.RefreshShareList();
    ASSERT_EQ(window.shareList()->topLevelItemCount(), 2);
    const auto* present = window.shareList()->topLevelItem(0);
    const auto* gone = window.shareList()->topLevelItem(1);
    EXPECT_EQ(present->text(1), QStringLiteral("MUSIC"));
    EXPECT_EQ(present->text(2), QString::fromStdString((home / "music").string()));
    EXPECT_EQ(gone->text(0), QStringLiteral("films"));
    EXPECT_TRUE(gone->text(2).endsWith(QStringLiteral("(folder missing)")));
    window.TakeAddress(QStringLiteral("10.1.2.3"), false);
    EXPECT_EQ(settings.receiverAddress, "10.1.2.3");
    EXPECT_EQ(window.receiverEdit()->text(), QStringLiteral("10.1.2.3"));
}

TEST_F(CorvidWindowsTest, AddDialogRefusesALongNameAndStaysOpen) {
    std::filesystem::create_directories(home / "pics");
    ShareInfoDialog dialog(settings, services, nullptr);
    dialog.nameEdit()->setText(QStringLiteral("ThirteenChars"));
    dialog.pathEdit()->setText(QString::fromStdString((home / "pics").string()));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(messages.back(), QStringLiteral("Share Name is too long"));
    dialog.nameEdit()->setText(QStringLiteral("pics"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.ShareCount(), 1u);
}

TEST_F(CorvidWindowsTest, SettingsDialogWantsBothBitratesAndMessagesFollowTheLanguage) {
    SettingsDialog dialog(settings, services);
    dialog.userEdit()->setText(QStringLiteral("pvr"));
    dialog.passwordEdit()->setText(QStringLiteral("right"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(messages.back(), QStringLiteral("Select a video bitrate"));
    dialog.options()->videoBox()->setCurrentIndex(dialog.options()->videoBox()->findText("768"));
    dialog.options()->audioBox()->setCurrentIndex(dialog.options()->audioBox()->findText("128"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    SharingSettings reread(home / "config/corvid", &system);
    reread.LoadSettings();
    EXPECT_EQ(reread.videoBitrate, 768u);
    EXPECT_EQ(reread.audioBitrate, 128u);

    CorvidMessages::instance().SetLanguage(CorvidMessages::German);
    EXPECT_EQ(Localized("Check corvidlet or network connection.  errono=111"),
              QStringLiteral("Prüfen Sie corvidlet oder die Netzwerkverbindung.  Fehler=111"));
    EXPECT_EQ(Localized("not in the table"), QStringLiteral("not in the table"));
    CorvidMessages::instance().SetLanguage(CorvidMessages::English);
}

}  // namespace
}  // namespace corvid::sharing
