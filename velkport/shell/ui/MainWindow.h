#pragma once
// Velkport's main window: the function bar at the bottom right of the screen. It runs the
// connect step, starts the command channels one second later, opens one window per manager
// (created on demand, re-used, asked for with the in-use query first) and hears from each
// manager window when it closes or finishes.

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "velkport/shell/MainWindowLogic.h"

class QPushButton;
class QTimer;
class QMenu;

namespace velkport::shell {

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // Creates a manager's window. notify is the window's way to report its events to the main
    // window (onToolWindowEvent); online is the main window's state at creation.
    using ManagerFactory =
        std::function<QWidget*(bool online, ToolWindowNotify notify, QWidget* owner)>;
    // Runs the Connect dialog and the logon; false when the program is to end.
    using ConnectStep = std::function<bool()>;
    using UrlOpener = std::function<bool(const QUrl&)>;
    using ProgramStarter = std::function<bool(const QString& program, const QStringList& args)>;

    MainWindow(AppContext& app, Prompter& prompter, ReceiverProbe& probe,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    void setManagerFactory(Manager m, ManagerFactory factory);
    void setConnectStep(ConnectStep step) { connectStep_ = std::move(step); }
    void setChannelInitialiser(ChannelInitialiser init) { initialiser_ = std::move(init); }
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
    void setProgramStarter(ProgramStarter starter) { startProgram_ = std::move(starter); }
    void setCorvidSocket(std::filesystem::path path) { corvidSocket_ = std::move(path); }
    // Where "Show all managers" is remembered (the settings file); empty: not remembered.
    void setSettingsFile(std::filesystem::path file);

    // The window's opening: the connect step, the layout at the bottom right of the screen and
    // the one-second channel timer. False when the program is to end (the window closes).
    bool startUp();

    MainWindowLogic& logic() { return logic_; }
    QPushButton* button(Button b) const { return buttons_[static_cast<std::size_t>(b)]; }
    QWidget* managerWindow(Manager m) const;
    QMenu* systemMenu() const { return menu_; }
    void setShowAllManagers(bool show);

  public slots:
    void openManager(Manager m);
    void onToolWindowEvent(velkport::shell::ToolWindowEvent event);
    void openSamba();
    void openRemoteControl();
    void startCorvid();
    void refreshButtons();

  signals:
    // After every channel start (the timer tick and after a reconnect).
    void channelsInitialised(bool online);
    // After a reconnect attempt; false when the program ends.
    void reconnected(bool ok);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void timerTick();
    void layOut();
    void openHelp();
    void showAbout();
    QRect screenArea() const;

    AppContext& app_;
    Prompter& prompter_;
    ReceiverProbe& probe_;
    MainWindowLogic logic_;
    std::array<QPushButton*, kButtonCount> buttons_{};
    std::array<QPointer<QWidget>, kManagerCount> windows_{};
    std::array<ManagerFactory, kManagerCount> factories_{};
    ConnectStep connectStep_;
    ChannelInitialiser initialiser_;
    UrlOpener openUrl_;
    ProgramStarter startProgram_;
    std::filesystem::path corvidSocket_;
    std::filesystem::path settingsFile_;
    QTimer* channelTimer_;
    QMenu* menu_;
    QAction* showAllAction_;
};

}  // namespace velkport::shell
