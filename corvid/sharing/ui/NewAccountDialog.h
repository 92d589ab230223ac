#pragma once
// "Create a new account for pvr  share": user id, password and its confirmation; the account
// is made when the checks pass, and the dialog stays open while they refuse.

#include <QDialog>

#include "corvid/sharing/ui/DesktopServices.h"

class QLineEdit;

namespace corvid::sharing {

class SharingSettings;

class NewAccountDialog : public QDialog {
    Q_OBJECT
  public:
    NewAccountDialog(SharingSettings& settings, const DesktopServices& services,
                     QWidget* parent = nullptr);
    QLineEdit* userEdit() const { return user_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* confirmEdit() const { return confirm_; }
    void accept() override;

  private:
    SharingSettings& settings_;
    const DesktopServices& services_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* confirm_;
};

}  // namespace corvid::sharing
