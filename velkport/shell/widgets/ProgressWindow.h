#pragma once
// The progress window every long transfer shows: a name line, a bar from 0 to 100 and a Cancel
// button. It is modeless and centred over the window that started the transfer.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace velkport::shell {

class ProgressWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // Shows the window centred over owner with the name line text and the bar at 0.
    void start(const QString& text, QWidget* owner);
    void setPosition(int percent);
    int position() const;
    QString text() const;
    void finish();

    QPushButton* cancelButton() const { return cancel_; }

  signals:
    void cancelRequested();

  private:
    QLabel* name_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

}  // namespace velkport::shell
