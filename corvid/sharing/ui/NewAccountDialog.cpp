#include "corvid/sharing/ui/NewAccountDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "corvid/sharing/DialogChecks.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/ui/DialogParts.h"

namespace corvid::sharing {

NewAccountDialog::NewAccountDialog(SharingSettings& settings, const DesktopServices& services,
                                   QWidget* parent)
    : QDialog(parent), settings_(settings), services_(services) {
    setWindowTitle(QStringLiteral("Create a new account for pvr  share"));
    auto* form = new QFormLayout(this);
    user_ = new QLineEdit(QStringLiteral("pvr"), this);
    password_ = SecretEdit(this);
    confirm_ = SecretEdit(this);
    form->addRow(Tr(40), user_);
    form->addRow(Tr(41), password_);
    form->addRow(Tr(42), confirm_);
    AddOkCancel(this, form);
}

void NewAccountDialog::accept() {
    const std::string user = user_->text().trimmed().toStdString();
    const std::string password = password_->text().toStdString();
    if (!Passes(services_,
                DialogChecks::NewAccount(user, password, confirm_->text().toStdString())))
        return;
    std::string why;
    if (services_.createAccount && !services_.createAccount(user, password, why)) {
        Passes(services_, why.empty() ? "UnKnown Error" : why);
        return;
    }
    settings_.SetAccount(user, password);
    QDialog::accept();
}

}  // namespace corvid::sharing
