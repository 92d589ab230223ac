#include "velkport/shell/widgets/ProgressWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::shell {

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent),
      name_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QString::fromStdString(Msg(0)));
    setModal(false);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    setMinimumWidth(360);
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::cancelRequested);
}

void ProgressWindow::start(const QString& text, QWidget* owner) {
    name_->setText(text);
    bar_->setValue(0);
    adjustSize();
    if (owner != nullptr) {
        const QRect area = owner->frameGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
}

void ProgressWindow::setPosition(int percent) {
    bar_->setValue(percent);
}

int ProgressWindow::position() const {
    return bar_->value();
}

QString ProgressWindow::text() const {
    return name_->text();
}

void ProgressWindow::finish() {
    hide();
}

}  // namespace velkport::shell
