#pragma once
// The Channel Info dialog: edits a copy of one service; OK only when the copy passes the checks.

#include <QDialog>

#include "velkport/editor/ChannelInfoDialog.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace velkport::editor {

class ChannelInfoDialogView : public QDialog {
    Q_OBJECT
  public:
    ChannelInfoDialogView(channels::Service& copy, int rowCount, shell::Prompter& prompter,
                          QWidget* parent = nullptr);

    ChannelInfoFields fields() const;
    QLineEdit* numberField() const { return number_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* sidField() const { return sid_; }
    QComboBox* qamChoice() const { return qam_; }
    QComboBox* lockChoice() const { return lock_; }
    QPushButton* okButton() const { return ok_; }

  private:
    void pressOk();

    channels::Service& copy_;
    int rowCount_;
    shell::Prompter& prompter_;
    QLineEdit* number_;
    QLineEdit* name_;
    QLineEdit* frequency_;
    QLineEdit* symbolRate_;
    QLineEdit* sid_;
    QLineEdit* oid_;
    QLineEdit* tsid_;
    QLineEdit* videoPid_;
    QLineEdit* audioPid_;
    QLineEdit* pcrPid_;
    QComboBox* type_;
    QComboBox* qam_;
    QComboBox* scrambled_;
    QComboBox* lock_;
    QComboBox* skip_;
    QPushButton* ok_;
};

}  // namespace velkport::editor
