#include "corvid/sharing/ui/NewAccountDialog.h"

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

NewAccountDialog::NewAccountDialog(SharingSettings& settings, const DesktopServices& services,
                                   QWidget* parent)
    : QDialog(parent), settings_(settings), services_(services) {
    setWindowTitle(QStringLiteral("Create a new account for pvr  share"));
    auto* form = new QFormLayout(this);
    user_ = new QLineEdit(QStringLiteral("pvr"), this);
    password_ = secret(this);
    confirm_ = secret(this);
    form->addRow(Tr(40), user_);
    form->addRow(Tr(41), password_);
    form->addRow(Tr(42), confirm_);
    okCancel(this, form);
}

void NewAccountDialog::accept() {
    const std::string user = user_->text().trimmed().toStdString();
    const std::string password = password_->text().toStdString();
    if (!passes(services_,
                DialogChecks::NewAccount(user, password, confirm_->text().toStdString())))
        return;
    std::string why;
    if (services_.createAccount && !services_.createAccount(user, password, why)) {
        passes(services_, why.empty() ? "UnKnown Error" : why);
        return;
    }
    settings_.SetAccount(user, password);
    QDialog::accept();
}

}  // namespace corvid::sharing
