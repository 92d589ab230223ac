#include "corvid/sharing/ui/StartDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "corvid/sharing/DialogChecks.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/ui/DialogParts.h"

namespace corvid::sharing {

StartDialog::StartDialog(SharingSettings& settings, const DesktopServices& services,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), services_(services) {
    setWindowTitle(QStringLiteral("Start Dialog"));
    auto* form = new QFormLayout(this);
    address_ = new QLineEdit(QString::fromStdString(settings.receiverAddress), this);
    user_ = new QLineEdit(QString::fromStdString(settings.user), this);
    password_ = SecretEdit(this);
    password_->setText(QString::fromStdString(settings.password));
    form->addRow(Tr(65), address_);
    form->addRow(Tr(40), user_);
    form->addRow(Tr(41), password_);
    AddOkCancel(this, form);
}

void StartDialog::accept() {
    const std::string address = address_->text().trimmed().toStdString();
    const std::string user = user_->text().trimmed().toStdString();
    const std::string password = password_->text().toStdString();
    if (!Passes(services_, DialogChecks::Start(address, user, password)))
        return;
    settings_.SetReceiverAddress(address);
    settings_.SetAccount(user, password);
    QDialog::accept();
}

}  // namespace corvid::sharing
