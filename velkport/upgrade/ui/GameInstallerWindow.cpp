#include "velkport/upgrade/ui/GameInstallerWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Progress.h"
#include "velkport/shell/widgets/QtPrompter.h"

namespace velkport::upgrade {

using shell::Msg;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The install's progress on the window's bar, from the worker thread.
class BarProgress : public shell::Progress {
  public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}
    void begin(const std::string&, std::uint64_t total) override {
        QMetaObject::invokeMethod(
            bar_,
            [b = bar_, t = static_cast<int>(std::min<std::uint64_t>(total, 1u << 30))] {
                b->setRange(0, t);
                b->setValue(0);
                b->show();
            },
            Qt::QueuedConnection);
    }
    void advance(std::uint64_t position) override {
        QMetaObject::invokeMethod(
            bar_, [b = bar_, p = static_cast<int>(position)] { b->setValue(p); },
            Qt::QueuedConnection);
    }
    void end() override {}

  private:
    QProgressBar* bar_;
};

}  // namespace

GameInstallerWindow::GameInstallerWindow(link::ChannelTable& table, shell::Prompter& prompter,
                                         shell::ToolWindowNotify notify, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      prompter_(std::make_unique<shell::UiThreadPrompter>(prompter, this)),
      installer_(table, *prompter_),
      notify_(std::move(notify)),
      path_(new QLineEdit(this)),
      bar_(new QProgressBar(this)),
      start_(new QPushButton(Q(Msg(44)), this)),
      exit_(new QPushButton(Q(Msg(51)), this)) {
    setWindowTitle(Q(Msg(46)));
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    auto* infoButton = new QPushButton(QStringLiteral("Info"), this);
    infoButton->setEnabled(false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(path_, 0, 0, 1, 2);
    grid->addWidget(browse, 0, 2);
    const std::array<int, 4> labels = {47, 48, 49, 50};  // Name, Version, Installed Size, GUID
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(Q(Msg(labels[static_cast<std::size_t>(i)])), this), i + 1, 0);
        info_[static_cast<std::size_t>(i)] = new QLabel(this);
        grid->addWidget(info_[static_cast<std::size_t>(i)], i + 1, 1, 1, 2);
    }
    grid->addWidget(bar_, 5, 0, 1, 3);
    grid->addWidget(infoButton, 6, 0);
    grid->addWidget(start_, 6, 1);
    grid->addWidget(exit_, 6, 2);
    bar_->hide();
    connect(browse, &QPushButton::clicked, this, &GameInstallerWindow::chooseFile);
    connect(path_, &QLineEdit::textEdited, this, [this](const QString& text) {
        start_->setEnabled(true);
        bar_->setValue(0);
        takePath(text);
    });
    connect(start_, &QPushButton::clicked, this, &GameInstallerWindow::start);
    connect(exit_, &QPushButton::clicked, this, &QWidget::close);
}

QWidget* GameInstallerWindow::Create(link::ChannelTable& table, shell::Prompter& prompter, bool,
                                     shell::ToolWindowNotify notify, QWidget* owner) {
    auto* w = new GameInstallerWindow(table, prompter, std::move(notify), owner);
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

GameInstallerWindow::~GameInstallerWindow() {
    destroying_ = true;
    prompter_->detach();
    while (running_)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (worker_.joinable())
        worker_.join();
}

void GameInstallerWindow::chooseFile() {
    const QString file = QFileDialog::getOpenFileName(
        this, QString(), path_->text(), QStringLiteral("Game Files(*.img);;All(*.*)"));
    if (!file.isEmpty()) {
        path_->setText(file);
        takePath(file);
    }
}

void GameInstallerWindow::takePath(const QString& path) {
    if (installer_.ChooseFile(path.toStdString()) != GameInstaller::Choice::Accepted)
        return;
    const auto& h = installer_.header();
    const std::array<std::string, 4> lines = {h.NameLine(), h.VersionLine(), h.SizeLine(),
                                              h.GuidLine()};
    for (std::size_t i = 0; i < lines.size(); ++i)
        info_[i]->setText(Q(lines[i]));
}

void GameInstallerWindow::start() {
    if (running_ || !installer_.accepted())
        return;
    if (worker_.joinable())
        worker_.join();
    running_ = true;
    start_->setEnabled(false);
    exit_->setEnabled(false);
    setCursor(Qt::WaitCursor);
    worker_ = std::thread([this] {
        BarProgress progress(bar_);
        const int result = installer_.Install(progress);
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                if (destroying_)
                    return;
                while (running_)
                    std::this_thread::yield();
                worker_.join();
                start_->setEnabled(true);
                exit_->setEnabled(true);
                unsetCursor();
                emit installFinished(result);
            },
            Qt::QueuedConnection);
        running_ = false;
    });
}

void GameInstallerWindow::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape neither start nor close the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape)
        return;
    QWidget::keyPressEvent(event);
}

void GameInstallerWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The install cannot be taken back half-way: the window closes once it has ended.
        event->ignore();
        QTimer::singleShot(200, this, &QWidget::close);
        return;
    }
    event->accept();
    if (notify_)
        notify_({shell::Manager::Game, shell::ToolWindowEvent::What::Closed});
}

}  // namespace velkport::upgrade
