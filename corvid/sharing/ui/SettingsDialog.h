#pragma once
// "Setting": the account, the VLC and subtitle choices and auto start; "Delete ID" deletes the
// account. A second box enables the media server's systemd user unit for a PC that runs
// without a desktop. The dialog stays open while its checks refuse the input.

#include <QDialog>

#include "corvid/sharing/ui/DesktopServices.h"

class QCheckBox;
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
    QCheckBox* service_;
    bool serviceWasOn_ = false;
};

}  // namespace corvid::sharing
