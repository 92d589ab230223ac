#pragma once
// "Start Dialog": the receiver's address and the account asked for before a start when one of
// them is missing; it stays open while its checks refuse the input.

#include <QDialog>

#include "corvid/sharing/ui/DesktopServices.h"

class QLineEdit;

namespace corvid::sharing {

class SharingSettings;

class StartDialog : public QDialog {
    Q_OBJECT
  public:
    StartDialog(SharingSettings& settings, const DesktopServices& services,
                QWidget* parent = nullptr);
    QLineEdit* addressEdit() const { return address_; }
    void accept() override;

  private:
    SharingSettings& settings_;
    const DesktopServices& services_;
    QLineEdit* address_;
    QLineEdit* user_;
    QLineEdit* password_;
};

}  // namespace corvid::sharing
