#include "corvid/sharing/ui/SetupWizard.h"

#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/IniFile.h"
#include "corvid/sharing/CorvidMessages.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/ui/NewAccountDialog.h"
#include "corvid/sharing/ui/VlcOptionsForm.h"
#include "corvid/sharing/ui/WizardSharePage.h"

namespace corvid::sharing {

namespace {

QString withModel(int id) {
    return QString::fromStdString(CorvidMessages::instance().Format(id, CorvidMessages::kModel));
}

std::string loggedOnUser() {
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr ? pw->pw_name : "";
}

}  // namespace

QWizardPage* SetupWizard::textPage(int title, std::initializer_list<int> texts) {
    auto* page = new QWizardPage(this);
    page->setTitle(Tr(title));
    auto* layout = new QVBoxLayout(page);
    for (int id : texts) {
        auto* label = new QLabel(withModel(id), page);
        label->setWordWrap(true);
        label->setOpenExternalLinks(true);
        layout->addWidget(label);
    }
    layout->addStretch();
    return page;
}

SetupWizard::SetupWizard(SharingSettings& settings, const DesktopServices& services,
                         QWidget* parent)
    : QWizard(parent), settings_(settings), services_(services) {
    setWindowTitle(Tr(29));
    setWizardStyle(QWizard::ClassicStyle);
    setOptions(QWizard::NoBackButtonOnStartPage);
    setButtonText(QWizard::NextButton, Tr(70));
    setButtonText(QWizard::BackButton, Tr(72));
    setButtonText(QWizard::CancelButton, Tr(71));
    setButtonText(QWizard::FinishButton, Tr(70));  // "Next" closes the wizard

    setPage(Welcome, textPage(21, {22, 23, 24, 25, 26, 27, 28}));

    QWizardPage* type = textPage(102, {103});
    upnp_ = new QRadioButton(Tr(104), type);
    fileSharing_ = new QRadioButton(Tr(105), type);
    type->layout()->addWidget(upnp_);
    type->layout()->addWidget(fileSharing_);
    setPage(ServerType, type);

    QWizardPage* login = textPage(43, {44});
    auto* loginForm = new QFormLayout;
    login_ = new QLineEdit(
        QString::fromStdString(settings.user.empty() ? loggedOnUser() : settings.user), login);
    password_ = new QLineEdit(QString::fromStdString(settings.password), login);
    password_->setEchoMode(QLineEdit::Password);
    auto* newAccount = new QPushButton(Tr(78), login);
    loginForm->addRow(Tr(39), login_);
    loginForm->addRow(Tr(41), password_);
    loginForm->addRow(QString(), newAccount);
    static_cast<QVBoxLayout*>(login->layout())->insertLayout(1, loginForm);
    connect(newAccount, &QPushButton::clicked, this, [this] {
        NewAccountDialog dialog(settings_, services_, this);
        if (dialog.exec() == QDialog::Accepted) {
            login_->setText(QString::fromStdString(settings_.user));
            password_->setText(QString::fromStdString(settings_.password));
        }
    });
    setPage(Login, login);

    setPage(ShareJpeg, new WizardSharePage(settings, services, "jpeg", 45, 46, 94, this));
    setPage(ShareMusic, new WizardSharePage(settings, services, "music", 51, 52, 94, this));
    setPage(ShareVideo, new WizardSharePage(settings, services, "video", 53, 54, 55, this));
    setPage(ShareRecord, new WizardSharePage(settings, services, "record", 56, 57, 58, this));

    auto* setting = textPage(90, {96});
    options_ = new VlcOptionsForm(false, setting);
    static_cast<QVBoxLayout*>(setting->layout())->insertWidget(1, options_);
    setPage(Setting, setting);

    QWizardPage* info = textPage(61, {62});
    summary_ = new QLabel(info);
    receiver_ = new QLineEdit(QString::fromStdString(settings.receiverAddress), info);
    auto* infoForm = new QFormLayout;
    infoForm->addRow(summary_);
    infoForm->addRow(Tr(65), receiver_);
    infoForm->addRow(new QLabel(Tr(63), info));
    static_cast<QVBoxLayout*>(info->layout())->insertLayout(1, infoForm);
    setPage(Information, info);

    setPage(Finish, textPage(64, {66, 67, 68}));
    resize(640, 520);
}

WizardSharePage* SetupWizard::sharePage(Page page) const {
    return qobject_cast<WizardSharePage*>(this->page(page));
}

void SetupWizard::initializePage(int id) {
    if (id == Setting)
        options_->Load(settings_);
    if (id == Information)
        fillSummary();
    QWizard::initializePage(id);
}

void SetupWizard::fillSummary() {
    QString text;
    const std::pair<const char*, int> kinds[] = {
        {"jpeg", 81}, {"music", 82}, {"video", 83}, {"record", 84}};
    for (auto [type, label] : kinds) {
        QStringList names;
        for (std::size_t slot = 0; slot < SharingSettings::kMaxShares; ++slot) {
            const auto* s = settings_.Share(slot);
            if (s != nullptr && common::IniFile::namesEqual(s->mediaTypeName, type))
                names << QString::fromStdString(s->name);
        }
        text += Tr(label) + QStringLiteral(": ") + names.join(QStringLiteral(", ")) +
                QStringLiteral("\n");
    }
    text += Tr(40) + QStringLiteral(": ") + QString::fromStdString(settings_.user) +
            QStringLiteral("\n") + Tr(41) + QStringLiteral(": ") +
            QString(static_cast<int>(settings_.password.size()), QChar('*'));
    summary_->setText(text);
}

bool SetupWizard::validateCurrentPage() {
    auto tell = [this](const QString& text) {
        if (services_.showMessage)
            services_.showMessage(text);
    };
    switch (currentId()) {
        case ServerType: {
            const std::uint32_t type = upnp_->isChecked() ? 1 : fileSharing_->isChecked() ? 2 : 0;
            settings_.SetServerType(type);
            return type != 0;
        }
        case Login: {
            const std::string user = login_->text().trimmed().toStdString();
            const std::string password = password_->text().toStdString();
            std::string why;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const bool ok = services_.checkAccount && services_.checkAccount(user, password, why);
            QApplication::restoreOverrideCursor();
            if (!ok) {
                tell(Tr(10) + (why.empty() ? QString()
                                           : QStringLiteral("\n") + QString::fromStdString(why)));
                return false;
            }
            settings_.SetAccount(user, password);
            return true;
        }
        case Setting:
            if (!options_->Save(settings_))
                tell(QStringLiteral("The settings could not be written"));
            return true;
        case Information: {
            const std::string address = receiver_->text().trimmed().toStdString();
            if (address != settings_.receiverAddress)
                settings_.SetReceiverAddress(address);
            return services_.startServer && services_.startServer(true) == 1;
        }
        default:
            return true;
    }
}

}  // namespace corvid::sharing
