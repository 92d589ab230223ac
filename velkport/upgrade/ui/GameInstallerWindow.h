#pragma once
// The Game / Plugin window: the user picks a game or plug-in image, the window shows its
// header's name, version, installed size and GUID, and Start installs it on the receiver over
// command channel 4. The install runs on a worker thread so that the window keeps drawing.

#include <QWidget>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/ToolWindowEvent.h"
#include "velkport/upgrade/GameInstaller.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace velkport::link {
class ChannelTable;
}
namespace velkport::shell {
class UiThreadPrompter;
}

namespace velkport::upgrade {

class GameInstallerWindow : public QWidget {
    Q_OBJECT
  public:
    GameInstallerWindow(link::ChannelTable& table, shell::Prompter& prompter,
                        shell::ToolWindowNotify notify, QWidget* parent = nullptr);
    ~GameInstallerWindow() override;

    static QWidget* Create(link::ChannelTable& table, shell::Prompter& prompter, bool online,
                           shell::ToolWindowNotify notify, QWidget* owner);

    QLineEdit* pathField() const { return path_; }
    QLabel* infoLine(int i) const { return info_[static_cast<std::size_t>(i)]; }
    QPushButton* startButton() const { return start_; }
    QProgressBar* progressBar() const { return bar_; }
    bool installing() const { return running_; }
    GameInstaller& installer() { return installer_; }

  public slots:
    void chooseFile();
    // A path given to the window (the file chooser's answer, or a test).
    void takePath(const QString& path);
    void start();

  signals:
    void installFinished(int result);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::unique_ptr<shell::UiThreadPrompter> prompter_;
    GameInstaller installer_;
    shell::ToolWindowNotify notify_;
    QLineEdit* path_;
    std::array<QLabel*, 4> info_{};
    QProgressBar* bar_;
    QPushButton* start_;
    QPushButton* exit_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    bool destroying_ = false;
};

}  // namespace velkport::upgrade
