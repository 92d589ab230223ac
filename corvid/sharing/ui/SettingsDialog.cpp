#include "corvid/sharing/ui/SettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "corvid/sharing/DialogChecks.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/ui/DialogParts.h"
#include "corvid/sharing/ui/VlcOptionsForm.h"

namespace corvid::sharing {

SettingsDialog::SettingsDialog(SharingSettings& settings, const DesktopServices& services,
                               QWidget* parent)
    : QDialog(parent), settings_(settings), services_(services) {
    setWindowTitle(QStringLiteral("Setting"));
    auto* form = new QFormLayout(this);
    user_ = new QLineEdit(QString::fromStdString(settings.user), this);
    password_ = SecretEdit(this);
    password_->setText(QString::fromStdString(settings.password));
    auto* deleteId = new QPushButton(QStringLiteral("Delete ID"), this);
    options_ = new VlcOptionsForm(true, this);
    options_->Load(settings);
    form->addRow(Tr(40), user_);
    form->addRow(Tr(41), password_);
    form->addRow(QString(), deleteId);
    form->addRow(options_);
    service_ = new QCheckBox(
        QStringLiteral("Run the media server as a user service (corvid serve)"), this);
    serviceWasOn_ = services.serviceEnabled && services.serviceEnabled();
    service_->setChecked(serviceWasOn_);
    service_->setEnabled(static_cast<bool>(services.setServiceEnabled));
    form->addRow(service_);
    AddOkCancel(this, form);
    connect(deleteId, &QPushButton::clicked, this, [this] {
        std::string why;
        const std::string user = user_->text().trimmed().toStdString();
        if (services_.deleteAccount && !services_.deleteAccount(user, why)) {
            Passes(services_, why);
            return;
        }
        settings_.SetAccount({}, {});
        user_->clear();
        password_->clear();
        Passes(services_, "Delete UserID Success");
    });
}

void SettingsDialog::accept() {
    const std::string user = user_->text().trimmed().toStdString();
    const std::string password = password_->text().toStdString();
    if (!Passes(services_, DialogChecks::Settings(user, password, options_->videoBitrate(),
                                                  options_->audioBitrate())))
        return;
    settings_.SetAccount(user, password);
    options_->Save(settings_);
    std::string why;
    if (service_->isChecked() != serviceWasOn_ && services_.setServiceEnabled &&
        !services_.setServiceEnabled(service_->isChecked(), why))
        Passes(services_, why);
    QDialog::accept();
}

}  // namespace corvid::sharing
