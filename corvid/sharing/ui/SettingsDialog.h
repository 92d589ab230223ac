#pragma once
// "Setting": the account, the VLC and subtitle choices and auto start; "Delete ID" deletes the
// account. The dialog stays open while its checks refuse the input.

#include <QDialog>

#include "corvid/sharing/ui/DesktopServices.h"

class QLineEdit;

namespace corvid::sharing {

class SharingSettings;
class VlcOptionsForm;

class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    SettingsDialog(SharingSettings& settings, const DesktopServices& services,
                   QWidget* parent = nullptr);
    QLineEdit* userEdit() const { return user_; }
    QLineEdit* passwordEdit() const { return password_; }
    VlcOptionsForm* options() const { return options_; }
    void accept() override;

  private:
    SharingSettings& settings_;
    const DesktopServices& services_;
    QLineEdit* user_;
    QLineEdit* password_;
    VlcOptionsForm* options_;
};

}  // namespace corvid::sharing
