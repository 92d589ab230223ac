#include "velkport/shell/widgets/ConnectDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/Icons.h"

namespace velkport::shell {

ConnectDialog::ConnectDialog(QWidget* parent)
    : QDialog(parent),
      address_(new QLineEdit(this)),
      user_(new QLineEdit(this)),
      pin_(new QLineEdit(this)),
      connect_(new QPushButton(QString::fromStdString(Msg(80)), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      offLine_(new QPushButton(QString::fromStdString(Msg(79)), this)) {
    setWindowTitle(QStringLiteral("Connect"));
    setWindowIcon(ProgramIcon());
    // The address control takes dotted IPv4 text only.
    const QString octet = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");
    address_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^(%1\\.){0,3}%1?$").arg(octet)), address_));
    address_->setPlaceholderText(QStringLiteral("192.168.1.20"));
    user_->setText(QStringLiteral("root"));
    user_->setEnabled(false);
    pin_->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("IP ADDRESS"), address_);
    form->addRow(QStringLiteral("USER ID"), user_);
    form->addRow(QStringLiteral("PINCODE"), pin_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(connect_);
    buttons->addWidget(cancel_);
    buttons->addWidget(offLine_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect_->setDefault(true);

    connect(connect_, &QPushButton::clicked, this, &ConnectDialog::pressConnect);
    connect(cancel_, &QPushButton::clicked, this, &ConnectDialog::reject);
    connect(offLine_, &QPushButton::clicked, this, [this] {
        choice_ = Result::OffLine;
        done(QDialog::Accepted);
    });
}

void ConnectDialog::SetAddress(const std::string& address) {
    address_->setText(QString::fromStdString(address));
}

void ConnectDialog::SetUserId(const std::string& userId) {
    user_->setText(QString::fromStdString(userId));
}

std::string ConnectDialog::Address() const {
    return address_->text().trimmed().toStdString();
}

std::string ConnectDialog::UserId() const {
    return user_->text().toStdString();
}

std::string ConnectDialog::PinCode() const {
    return pin_->text().toStdString();
}

void ConnectDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The main window is still hidden while it connects: the dialog goes to the screen's centre.
    if (parentWidget() == nullptr || !parentWidget()->isVisible()) {
        if (const QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
    address_->setFocus();
}

void ConnectDialog::reject() {
    choice_ = Result::Cancel;
    QDialog::reject();
}

void ConnectDialog::pressConnect() {
    if (handler_ && !handler_(Address(), UserId(), PinCode()))
        return;
    choice_ = Result::Connect;
    done(QDialog::Accepted);
}

ConnectDialog::Result ConnectDialog::Run() {
    choice_ = Result::Cancel;
    exec();
    return choice_;
}

}  // namespace velkport::shell
