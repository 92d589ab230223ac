#include "velkport/editor/ui/InputDialogView.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkport::editor {

InputDialogView::InputDialogView(channels::InputMode mode, int rowCount,
                                 std::vector<int> selectedNumbers, shell::Prompter& prompter,
                                 QWidget* parent)
    : QDialog(parent),
      mode_(mode),
      rowCount_(rowCount),
      selected_(std::move(selectedNumbers)),
      prompter_(prompter),
      field_(new QLineEdit(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QString::fromStdString(InputDialog::title(mode)));
    field_->setValidator(new QIntValidator(field_));
    auto* form = new QFormLayout;
    form->addRow(QString::fromStdString(InputDialog::fieldLabel()), field_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(InputDialog::prompt(mode)), this));
    layout->addLayout(form);
    layout->addLayout(buttons);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &InputDialogView::pressOk);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void InputDialogView::pressOk() {
    number_ =
        InputDialog::accept(field_->text().toStdString(), mode_, rowCount_, selected_, prompter_);
    if (number_)
        accept();
}

}  // namespace velkport::editor
