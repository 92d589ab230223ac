#include "velkport/shell/ui/MainWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "common/IniFile.h"
#include "velkport/shell/CorvidLink.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/Icons.h"

namespace velkport::shell {

namespace {

constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 57;
constexpr const char* kShowAllKey = "ShowAllManagers";

struct ButtonInfo {
    Button button;
    int message;  // caption
    QIcon (*icon)();
};

// In the order of the bar: Channel and Upgrade first, the managers of the full bar after them.
constexpr ButtonInfo kButtons[kButtonCount] = {
    {Button::Channel, 87, &ChannelButtonIcon},
    {Button::Upgrade, 86, &UpgradeButtonIcon},
    {Button::Record, 63, nullptr},
    {Button::Mp3, 84, nullptr},
    {Button::Jpeg, 85, nullptr},
    {Button::Samba, 288, nullptr},
    {Button::Game, 46, nullptr},
    {Button::Rmc, 269, nullptr},
    {Button::Corvid, 289, nullptr},
};

QString Text(int id) {
    return QString::fromStdString(Msg(id));
}

class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QRect ToQRect(const Rect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

bool IsEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

MainWindow::MainWindow(AppContext& app, Prompter& prompter, ReceiverProbe& probe, QWidget* parent)
    : QWidget(parent),
      app_(app),
      prompter_(prompter),
      probe_(probe),
      logic_(app, prompter),
      channelTimer_(new QTimer(this)),
      menu_(new QMenu(this)) {
    setWindowTitle(QStringLiteral("%1 %2").arg(Text(0), QStringLiteral("QX7100")));
    setWindowIcon(ProgramIcon());

    for (const ButtonInfo& info : kButtons) {
        auto* b = new QPushButton(Text(info.message), this);
        b->setObjectName(Text(info.message));
        if (info.icon != nullptr) {
            b->setIcon(info.icon());
            b->setIconSize(QSize(48, 35));
        }
        b->setAutoDefault(false);
        b->installEventFilter(this);
        buttons_[static_cast<std::size_t>(info.button)] = b;
    }
    auto on = [this](Button b, auto slot) {
        connect(button(b), &QPushButton::clicked, this, slot);
    };
    on(Button::Channel, [this] { openManager(Manager::Channel); });
    on(Button::Upgrade, [this] { openManager(Manager::Upgrade); });
    on(Button::Record, [this] { openManager(Manager::Record); });
    on(Button::Mp3, [this] { openManager(Manager::Mp3); });
    on(Button::Jpeg, [this] { openManager(Manager::Jpeg); });
    on(Button::Game, [this] { openManager(Manager::Game); });
    on(Button::Rmc, [this] { openRemoteControl(); });
    on(Button::Samba, [this] { openSamba(); });
    on(Button::Corvid, [this] { startCorvid(); });

    // The window's own menu (right click): the About box and the full function bar.
    menu_->addSeparator();
    connect(menu_->addAction(QStringLiteral("Boxdesk Info(&A)...")), &QAction::triggered, this,
            &MainWindow::showAbout);
    showAllAction_ = menu_->addAction(QStringLiteral("Show all managers"));
    showAllAction_->setCheckable(true);
    connect(showAllAction_, &QAction::toggled, this, &MainWindow::setShowAllManagers);

    channelTimer_->setSingleShot(true);
    channelTimer_->setInterval(1000);
    connect(channelTimer_, &QTimer::timeout, this, &MainWindow::timerTick);

    initialiser_ = [](const std::string&, std::uint16_t) { return false; };
    openUrl_ = [](const QUrl&) { return false; };
    startProgram_ = [](const QString&, const QStringList&) { return false; };
    corvidSocket_ = CorvidLink::DefaultSocketPath();
    layOut();
    refreshButtons();
}

MainWindow::~MainWindow() = default;

void MainWindow::setManagerFactory(Manager m, ManagerFactory factory) {
    logic_.bar().setAvailable(m, static_cast<bool>(factory));
    factories_[static_cast<std::size_t>(m)] = std::move(factory);
    refreshButtons();
}

void MainWindow::setSettingsFile(std::filesystem::path file) {
    settingsFile_ = std::move(file);
    common::IniFile ini;
    ini.load(settingsFile_);
    const bool show = ini.get("Setting", kShowAllKey).value_or("0") == "1";
    const QSignalBlocker block(showAllAction_);
    showAllAction_->setChecked(show);
    logic_.bar().setShowAll(show);
    layOut();
    refreshButtons();
}

void MainWindow::setShowAllManagers(bool show) {
    logic_.bar().setShowAll(show);
    {
        const QSignalBlocker block(showAllAction_);
        showAllAction_->setChecked(show);
    }
    if (!settingsFile_.empty()) {
        common::IniFile ini;
        ini.load(settingsFile_);
        ini.set("Setting", kShowAllKey, show ? "1" : "0");
        ini.save(settingsFile_);
    }
    layOut();
    refreshButtons();
}

bool MainWindow::startUp() {
    if (connectStep_ && !connectStep_()) {
        close();
        return false;
    }
    layOut();
    channelTimer_->start();
    return true;
}

QRect MainWindow::screenArea() const {
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return s != nullptr ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void MainWindow::layOut() {
    // Channel and Upgrade side by side; the full bar adds rows of two below them.
    int shown = 0;
    for (const ButtonInfo& info : kButtons) {
        QPushButton* b = button(info.button);
        const bool visible = logic_.bar().visible(info.button);
        b->setVisible(visible);
        if (!visible)
            continue;
        b->setGeometry(5 + (shown % 2) * 102, 5 + (shown / 2) * (kButtonHeight + 5), kButtonWidth,
                       kButtonHeight);
        ++shown;
    }
    const int extraRows = (shown + 1) / 2 - 1;
    const QRect screen = screenArea();
    Rect r = FunctionBarGeometry({screen.x(), screen.y(), screen.width(), screen.height()});
    r.height += extraRows * (kButtonHeight + 5);
    r.y -= extraRows * (kButtonHeight + 5);
    setFixedSize(r.width, r.height);
    move(r.x, r.y);
}

void MainWindow::refreshButtons() {
    for (int i = 0; i < kManagerCount; ++i)
        logic_.bar().setWindow(static_cast<Manager>(i),
                               !windows_[static_cast<std::size_t>(i)].isNull());
    for (const ButtonInfo& info : kButtons)
        button(info.button)->setEnabled(logic_.bar().enabled(info.button));
}

QWidget* MainWindow::managerWindow(Manager m) const {
    return windows_[static_cast<std::size_t>(m)].data();
}

void MainWindow::timerTick() {
    channelTimer_->stop();
    const bool online = logic_.InitialiseChannels(initialiser_);
    refreshButtons();
    emit channelsInitialised(online);
}

void MainWindow::openManager(Manager m) {
    const auto index = static_cast<std::size_t>(m);
    const QRect screen = screenArea();
    const Rect area{screen.x(), screen.y(), screen.width(), screen.height()};
    refreshButtons();
    OpenCheck check;
    {
        WaitCursor wait;
        check = logic_.CheckOpen(m, probe_);
    }
    if (check == OpenCheck::Raise) {
        QWidget* w = windows_[index];
        w->move(ToQRect(CentredOn(area, w->width(), w->height())).topLeft());
        w->show();
        w->raise();
        w->activateWindow();
        return;
    }
    if (check == OpenCheck::Refused || !factories_[index]) {
        refreshButtons();
        return;
    }
    // The button stays disabled while its window is made (the editor also holds Game back).
    if (m == Manager::Channel)
        button(Button::Game)->setEnabled(false);
    QWidget* w = nullptr;
    {
        WaitCursor wait;
        w = factories_[index](
            logic_.bar().online(), [this](ToolWindowEvent e) { onToolWindowEvent(e); }, this);
    }
    windows_[index] = w;
    if (w != nullptr) {
        onToolWindowEvent({m, ToolWindowEvent::What::Opened});
        w->setAttribute(Qt::WA_QuitOnClose, false);
        if (!w->testAttribute(Qt::WA_Resized))
            w->adjustSize();
        w->setGeometry(ToQRect(ManagerPlacement(m, area, w->width(), w->height())));
        w->show();
        w->raise();
        w->activateWindow();
    }
    refreshButtons();
}

void MainWindow::onToolWindowEvent(ToolWindowEvent event) {
    const ToolWindowAction action = logic_.bar().onToolWindowEvent(event);
    auto release = [this](Manager m) {
        QPointer<QWidget>& slot = windows_[static_cast<std::size_t>(m)];
        if (slot) {
            slot->hide();
            slot->deleteLater();
        }
        slot = nullptr;
    };
    switch (action) {
        case ToolWindowAction::ReleaseWindow:
            release(event.window);
            break;
        case ToolWindowAction::Reconnect: {
            hide();
            // The connect step closes the Upgrade window first.
            release(Manager::Upgrade);
            refreshButtons();
            if (connectStep_ && !connectStep_()) {
                emit reconnected(false);
                close();
                return;
            }
            show();
            timerTick();
            emit reconnected(true);
            break;
        }
        case ToolWindowAction::Nothing:
            break;
    }
    refreshButtons();
}

void MainWindow::openSamba() {
    QPushButton* b = button(Button::Samba);
    b->setEnabled(false);
    const QUrl target(
        QStringLiteral("smb://%1/").arg(QString::fromStdString(app_.receiverAddress)));
    if (!openUrl_(target))
        prompter_.showMessage("Can not find explore path", PromptIcon::Error);
    refreshButtons();
}

void MainWindow::openRemoteControl() {
    WaitCursor wait;
    if (logic_.CheckOpen(Manager::RemoteControl, probe_) != OpenCheck::Open) {
        refreshButtons();
        return;
    }
    // The receiver's page opens in the user's browser.
    const QUrl page(
        QStringLiteral("http://%1/remote.html").arg(QString::fromStdString(app_.receiverAddress)));
    if (!openUrl_(page))
        prompter_.showMessage("Can not find explore path", PromptIcon::Error);
    refreshButtons();
}

void MainWindow::startCorvid() {
    QPushButton* b = button(Button::Corvid);
    b->setEnabled(false);
    const bool running = CorvidLink::IsRunning(corvidSocket_);
    if (running) {
        if (auto packed = logic_.CorvidParameter())
            CorvidLink::SendAddress(*packed, corvidSocket_);
    } else {
        const QString program =
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("corvid"));
        startProgram_(program, {QString::fromStdString(app_.receiverAddress)});
    }
    // The button comes back a second after the command.
    QTimer::singleShot(1000, this, &MainWindow::refreshButtons);
}

void MainWindow::openHelp() {
    const auto help = app_.programFolder / "VelkHelp.chm";
    openUrl_(QUrl::fromLocalFile(QString::fromStdString(help.string())));
}

void MainWindow::showAbout() {
    QMessageBox::about(
        this, QStringLiteral("Boxdesk Info"),
        QStringLiteral("%1 %2\nV1.0.0.1 17/02/2010").arg(Text(0), QStringLiteral("QX7100")));
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (IsEnter(event))
        return;
    if (event->key() == Qt::Key_F1) {
        openHelp();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    if (IsEnter(event))
        return;
    QWidget::keyReleaseEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Enter never presses a function-bar button; F1 opens the help from any of them.
    if (IsEnter(event))
        return true;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        openHelp();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
}

}  // namespace velkport::shell
