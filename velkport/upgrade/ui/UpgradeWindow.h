#pragma once
// The Upgrade window: the user picks a firmware image and Start places it on the receiver as
// "firmware.bin". The upload runs on a worker thread so that the window keeps drawing; after a
// successful upload the main window is told to reconnect (the receiver restarts).

#include <QWidget>

#include <functional>
#include <memory>

#include "velkport/shell/base/AppContext.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/ToolWindowEvent.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace velkport::shell {
class BackgroundJob;
class UiThreadPrompter;
}  // namespace velkport::shell

namespace velkport::upgrade {

class UpgradeWindow : public QWidget {
    Q_OBJECT
  public:
    // notify hears when the window closes, and a second after an upload that the receiver
    // restarts.
    UpgradeWindow(const shell::AppContext& app, shell::Prompter& prompter,
                  shell::ToolWindowNotify notify, QWidget* parent = nullptr);
    ~UpgradeWindow() override;

    QLineEdit* pathField() const { return path_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* exitButton() const { return exit_; }
    QProgressBar* progressBar() const { return bar_; }
    bool uploading() const;

    // The delay between a successful upload and the reconnect (one second; tests shorten it).
    void setReconnectDelay(int ms) { reconnectDelay_ = ms; }

  public slots:
    void start();
    void chooseFile();

  signals:
    void progressChanged(int percent);
    void uploadFinished(bool ok);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void setProgress(int percent);
    void workerDone(bool ok);
    void setBusy(bool busy);

    const shell::AppContext& app_;
    std::unique_ptr<shell::UiThreadPrompter> prompter_;
    shell::ToolWindowNotify notify_;
    QLabel* line_;
    QLineEdit* path_;
    QPushButton* browse_;
    QProgressBar* bar_;
    QPushButton* start_;
    QPushButton* exit_;
    std::unique_ptr<shell::BackgroundJob> job_;
    int reconnectDelay_ = 1000;
};

}  // namespace velkport::upgrade
