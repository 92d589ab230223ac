#pragma once
// "Share Infomation": a share's name, media type, folder and read-only flag. Adding a share
// checks it as the share table does and stays open on a refusal.

#include <QDialog>

#include "corvid/sharing/ShareRecord.h"
#include "corvid/sharing/ui/DesktopServices.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace corvid::sharing {

class SharingSettings;

class ShareInfoDialog : public QDialog {
    Q_OBJECT
  public:
    // record: shown as it is (Properties) when given, else an empty new share (Add).
    ShareInfoDialog(SharingSettings& settings, const DesktopServices& services,
                    const ShareRecord* record, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return name_; }
    QComboBox* typeBox() const { return type_; }
    QLineEdit* pathEdit() const { return path_; }
    QCheckBox* readOnlyBox() const { return readOnly_; }
    void accept() override;

  private:
    SharingSettings& settings_;
    const DesktopServices& services_;
    bool adding_;
    QLineEdit* name_;
    QComboBox* type_;
    QLineEdit* path_;
    QCheckBox* readOnly_;
};

}  // namespace corvid::sharing
