#pragma once
// The Input dialog: the start number of the numbering mode or the target number of "Move to".

#include <QDialog>

#include <optional>
#include <vector>

#include "velkport/editor/InputDialog.h"

class QLineEdit;
class QPushButton;

namespace velkport::editor {

class InputDialogView : public QDialog {
    Q_OBJECT
  public:
    InputDialogView(channels::InputMode mode, int rowCount, std::vector<int> selectedNumbers,
                    shell::Prompter& prompter, QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    std::optional<int> number() const { return number_; }

  private:
    void pressOk();

    channels::InputMode mode_;
    int rowCount_;
    std::vector<int> selected_;
    shell::Prompter& prompter_;
    QLineEdit* field_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::optional<int> number_;
};

}  // namespace velkport::editor
