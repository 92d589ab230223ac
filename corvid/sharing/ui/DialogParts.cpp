#include "corvid/sharing/ui/DialogParts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "corvid/sharing/ui/DesktopServices.h"

namespace corvid::sharing {

QLineEdit* SecretEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QDialogButtonBox* AddOkCancel(QDialog* dialog, QFormLayout* form) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

bool Passes(const DesktopServices& services, const std::string& refusal) {
    if (refusal.empty())
        return true;
    if (services.showMessage)
        services.showMessage(QString::fromStdString(refusal));
    return false;
}

}  // namespace corvid::sharing
