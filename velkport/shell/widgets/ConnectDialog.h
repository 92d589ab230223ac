#pragma once
// The Connect dialog drawn with Qt: the receiver's IPv4 address, the user id (not editable) and
// the pin code (hidden), closed with Connect, Off Line or Cancel. What Connect checks before the
// dialog closes is decided by the connect logic, which hands it in as a handler.

#include <QDialog>

#include <functional>
#include <string>

#include "velkport/link/ConnectDialogView.h"

class QLineEdit;
class QPushButton;

namespace velkport::shell {

class ConnectDialog : public QDialog, public link::ConnectDialogView {
    Q_OBJECT
  public:
    using Result = link::ConnectResult;

    explicit ConnectDialog(QWidget* parent = nullptr);

    void SetAddress(const std::string& address) override;
    void SetUserId(const std::string& userId) override;
    void SetConnectHandler(ConnectHandler handler) override { handler_ = std::move(handler); }
    // Runs the dialog modally and says which button closed it.
    Result Run() override;
    std::string Address() const override;
    std::string UserId() const override;
    std::string PinCode() const override;
    Result choice() const { return choice_; }

    QLineEdit* addressField() const { return address_; }
    QLineEdit* userField() const { return user_; }
    QLineEdit* pinField() const { return pin_; }
    QPushButton* connectButton() const { return connect_; }
    QPushButton* offLineButton() const { return offLine_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

  private:
    void pressConnect();

    QLineEdit* address_;
    QLineEdit* user_;
    QLineEdit* pin_;
    QPushButton* connect_;
    QPushButton* cancel_;
    QPushButton* offLine_;
    ConnectHandler handler_;
    Result choice_ = Result::Cancel;
};

}  // namespace velkport::shell
