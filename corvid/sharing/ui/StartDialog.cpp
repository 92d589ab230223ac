#include "corvid/sharing/ui/StartDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "corvid/sharing/DialogChecks.h"
#include "corvid/sharing/SharingSettings.h"

namespace corvid::sharing {

namespace {

QLineEdit* secret(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QDialogButtonBox* okCancel(QDialog* dialog, QFormLayout* form) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// Shows a refusal; true when there was none.
bool passes(const DesktopServices& services, const std::string& refusal) {
    if (refusal.empty())
        return true;
    if (services.showMessage)
        services.showMessage(QString::fromStdString(refusal));
    return false;
}

}  // namespace

StartDialog::StartDialog(SharingSettings& settings, const DesktopServices& services,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), services_(services) {
    setWindowTitle(QStringLiteral("Start Dialog"));
    auto* form = new QFormLayout(this);
    address_ = new QLineEdit(QString::fromStdString(settings.receiverAddress), this);
    user_ = new QLineEdit(QString::fromStdString(settings.user), this);
    password_ = secret(this);
    password_->setText(QString::fromStdString(settings.password));
    form->addRow(Tr(65), address_);
    form->addRow(Tr(40), user_);
    form->addRow(Tr(41), password_);
    okCancel(this, form);
}

void StartDialog::accept() {
    const std::string address = address_->text().trimmed().toStdString();
    const std::string user = user_->text().trimmed().toStdString();
    const std::string password = password_->text().toStdString();
    if (!passes(services_, DialogChecks::Start(address, user, password)))
        return;
    settings_.SetReceiverAddress(address);
    settings_.SetAccount(user, password);
    QDialog::accept();
}

}  // namespace corvid::sharing
