#pragma once
// Pieces the account, settings and start dialogs share: a password field, the OK/Cancel row and
// the refusal shown when a check fails.

#include <string>

class QDialog;
class QDialogButtonBox;
class QFormLayout;
class QLineEdit;
class QWidget;

namespace corvid::sharing {

struct DesktopServices;

// A line edit that hides what is typed.
QLineEdit* SecretEdit(QWidget* parent);

// OK and Cancel as the form's last row, wired to the dialog's accept and reject.
QDialogButtonBox* AddOkCancel(QDialog* dialog, QFormLayout* form);

// Shows a refusal; true when there was none.
bool Passes(const DesktopServices& services, const std::string& refusal);

}  // namespace corvid::sharing
