#include "corvid/sharing/ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/SingleInstance.h"
#include "corvid/sharing/ui/SettingsDialog.h"
#include "corvid/sharing/ui/ShareInfoDialog.h"
#include "corvid/sharing/ui/StartDialog.h"

namespace corvid::sharing {

namespace {

constexpr int kSlotRole = Qt::UserRole + 1;
constexpr int kCommandDelayMs = 300;

// A round badge in the colour of the status: grey offline, green online, amber connecting.
QIcon statusIcon(MainWindow::Status status) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(128, 128, 128), QColor(40, 160, 60), QColor(230, 160, 0)};
    painter.setBrush(colours[status]);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawEllipse(3, 3, 26, 26);
    painter.setBrush(Qt::white);
    painter.drawEllipse(11, 11, 10, 10);
    return QIcon(pixmap);
}

}  // namespace

MainWindow::MainWindow(SharingSettings& settings, DesktopServices services, QWidget* parent)
    : QWidget(parent), settings_(settings), services_(std::move(services)) {
    setWindowTitle(QStringLiteral("corvid"));
    auto* layout = new QVBoxLayout(this);
    auto* addressRow = new QHBoxLayout;
    receiver_ = new QLineEdit(QString::fromStdString(settings.receiverAddress), this);
    receiver_->setMaxLength(15);
    statusLabel_ = new QLabel(this);
    addressRow->addWidget(new QLabel(Tr(65), this));
    addressRow->addWidget(receiver_);
    addressRow->addStretch();
    addressRow->addWidget(statusLabel_);
    layout->addLayout(addressRow);

    list_ = new QTreeWidget(this);
    list_->setColumnCount(3);
    list_->setHeaderLabels({Tr(3), Tr(4), Tr(5)});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->header()->resizeSection(0, 160);
    list_->header()->resizeSection(1, 90);
    layout->addWidget(list_);

    auto* buttonRow = new QHBoxLayout;
    const std::pair<Command, QString> commands[] = {
        {Command::Add, Tr(89)},
        {Command::Delete, Tr(1)},
        {Command::Properties, QStringLiteral("Properties")},
        {Command::Start, Tr(85)},
        {Command::Reset, Tr(2)},
        {Command::Setup, Tr(0)}};
    for (const auto& [command, text] : commands) {
        auto* b = new QPushButton(text, this);
        buttons_[command] = b;
        buttonRow->addWidget(b);
    }
    layout->addLayout(buttonRow);
    connect(button(Command::Add), &QPushButton::clicked, this, &MainWindow::addShare);
    connect(button(Command::Delete), &QPushButton::clicked, this, &MainWindow::deleteShares);
    connect(button(Command::Properties), &QPushButton::clicked, this, &MainWindow::showProperties);
    connect(button(Command::Start), &QPushButton::clicked, this, [this] {
        setCommandsEnabled(false);
        QTimer::singleShot(kCommandDelayMs, this, &MainWindow::StartWithMessages);
    });
    connect(button(Command::Reset), &QPushButton::clicked, this, &MainWindow::resetReceiver);
    connect(button(Command::Setup), &QPushButton::clicked, this, [this] {
        SettingsDialog dialog(settings_, services_, this);
        dialog.exec();
    });
    connect(receiver_, &QLineEdit::editingFinished, this, [this] {
        const std::string address = receiver_->text().trimmed().toStdString();
        if (address != settings_.receiverAddress && SingleInstance::PackAddress(address))
            settings_.SetReceiverAddress(address);
    });

    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = new QSystemTrayIcon(this);
        auto* menu = new QMenu(this);
        connect(menu->addAction(QStringLiteral("Open")), &QAction::triggered, this, [this] {
            showNormal();
            raise();
            activateWindow();
        });
        trayStart_ = menu->addAction(Tr(85));
        connect(trayStart_, &QAction::triggered, this, &MainWindow::StartWithMessages);
        connect(menu->addAction(QStringLiteral("Exit")), &QAction::triggered, this,
                &MainWindow::exitRequested);
        tray_->setContextMenu(menu);
        tray_->show();
    }
    SetStatus(Offline);
    resize(800, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void MainWindow::RefreshShareList() {
    list_->clear();
    settings_.LoadShares();
    for (std::size_t slot = 0; slot < SharingSettings::kMaxShares; ++slot) {
        const auto* s = settings_.Share(slot);
        if (s == nullptr)
            continue;
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(s->name));
        item->setText(1, QString::fromStdString(s->mediaTypeName).toUpper());
        item->setText(2, QString::fromStdString(s->path));
        item->setData(0, kSlotRole, static_cast<qulonglong>(slot));
        std::error_code ec;
        if (!std::filesystem::is_directory(s->path, ec)) {
            // The share stays in the system; the list says its folder is gone.
            item->setText(2, item->text(2) + QStringLiteral("  (folder missing)"));
            item->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
            for (int c = 0; c < 3; ++c)
                item->setForeground(c, QBrush(Qt::red));
            item->setToolTip(2, Tr(74));
        }
    }
}

void MainWindow::SetStatus(Status status) {
    status_ = status;
    const QString text = Tr(17 + (status == Online ? 1 : status == Connecting ? 2 : 0));
    statusLabel_->setText(text);
    if (tray_ != nullptr) {
        tray_->setIcon(statusIcon(status));
        tray_->setToolTip(QStringLiteral("corvid: ") + text);
    }
    if (trayStart_ != nullptr)
        trayStart_->setEnabled(status != Connecting);
    setWindowIcon(statusIcon(status));
}

void MainWindow::TakeAddress(const QString& address, bool show) {
    const std::string text = address.toStdString();
    if (text != settings_.receiverAddress) {
        settings_.SetReceiverAddress(text);
        receiver_->setText(address);
    }
    if (show) {
        showNormal();
        raise();
        activateWindow();
    }
}

void MainWindow::setCommandsEnabled(bool on) {
    for (auto& [command, b] : buttons_)
        b->setEnabled(on);
    receiver_->setEnabled(on);
}

void MainWindow::StartWithMessages() {
    setCommandsEnabled(false);
    const bool needsAccount = settings_.serverType == 2 && settings_.password.empty();
    if (settings_.receiverAddress.empty() || needsAccount) {
        StartDialog dialog(settings_, services_, this);
        if (dialog.exec() != QDialog::Accepted) {
            setCommandsEnabled(true);
            return;
        }
        receiver_->setText(QString::fromStdString(settings_.receiverAddress));
    }
    if (services_.startServer)
        services_.startServer(true);
    setCommandsEnabled(true);
}

void MainWindow::addShare() {
    ShareInfoDialog dialog(settings_, services_, nullptr, this);
    if (dialog.exec() == QDialog::Accepted)
        RefreshShareList();
}

void MainWindow::showProperties() {
    const auto items = list_->selectedItems();
    if (items.isEmpty())
        return;
    const auto slot = static_cast<std::size_t>(items.front()->data(0, kSlotRole).toULongLong());
    if (const auto* record = settings_.Share(slot)) {
        ShareInfoDialog dialog(settings_, services_, record, this);
        dialog.exec();
    }
}

void MainWindow::deleteShares() {
    const auto items = list_->selectedItems();
    if (items.isEmpty())
        return;
    const QString question =
        items.size() == 1 ? Tr(6).replace(QStringLiteral("%s"), items.front()->text(0))
                          : Tr(7).replace(QStringLiteral("%d"), QString::number(items.size()));
    if (!services_.ask || !services_.ask(question))
        return;
    for (const auto* item : items) {
        const auto slot = static_cast<std::size_t>(item->data(0, kSlotRole).toULongLong());
        if (!settings_.DeleteShare(slot) && services_.showMessage)
            services_.showMessage(QStringLiteral("NetShareDel error=") +
                                  QString::fromStdString(settings_.LastError()));
    }
    RefreshShareList();
}

void MainWindow::resetReceiver() {
    if (!services_.ask || !services_.ask(Tr(20)))
        return;
    setCommandsEnabled(false);
    QTimer::singleShot(kCommandDelayMs, this, [this] {
        if (services_.reset)
            services_.reset(true);
        setCommandsEnabled(true);
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (tray_ != nullptr) {
        hide();  // Corvid goes on in the tray
        event->ignore();
        return;
    }
    event->accept();
    emit exitRequested();
}

}  // namespace corvid::sharing
