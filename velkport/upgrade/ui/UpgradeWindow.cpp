#include "velkport/upgrade/ui/UpgradeWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/BackgroundJob.h"
#include "velkport/shell/widgets/Icons.h"
#include "velkport/shell/widgets/QtPrompter.h"
#include "velkport/upgrade/FirmwareUpgrade.h"

namespace velkport::upgrade {

using shell::Msg;

namespace {

// The upload's percents, handed to the window on its own thread.
class BarProgress : public shell::Progress {
  public:
    explicit BarProgress(std::function<void(int)> show) : show_(std::move(show)) {}
    void begin(const std::string&, std::uint64_t) override {}
    void advance(std::uint64_t position) override { show_(static_cast<int>(position)); }
    void end() override {}

  private:
    std::function<void(int)> show_;
};

}  // namespace

UpgradeWindow::UpgradeWindow(const shell::AppContext& app, shell::Prompter& prompter,
                             shell::ToolWindowNotify notify, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      app_(app),
      prompter_(std::make_unique<shell::UiThreadPrompter>(prompter, this)),
      notify_(std::move(notify)),
      line_(new QLabel(QStringLiteral("Open upgrade file and click start button"), this)),
      path_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("..."), this)),
      bar_(new QProgressBar(this)),
      start_(new QPushButton(QString::fromStdString(Msg(44)), this)),
      exit_(new QPushButton(QString::fromStdString(Msg(51)), this)),
      job_(std::make_unique<shell::BackgroundJob>(this, prompter_.get())) {
    setWindowTitle(QString::fromStdString(Msg(86)));
    setWindowIcon(shell::UpgradeButtonIcon());
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(true);
    bar_->setFormat(QString::fromStdString(FirmwareUpgrade::ProgressText(0)));
    bar_->hide();

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(exit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(line_);
    layout->addLayout(pathRow);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(browse_, &QPushButton::clicked, this, &UpgradeWindow::chooseFile);
    connect(start_, &QPushButton::clicked, this, &UpgradeWindow::start);
    connect(exit_, &QPushButton::clicked, this, &QWidget::close);
    // Any edit of the path makes Start available again from 0.
    connect(path_, &QLineEdit::textChanged, this, [this] {
        start_->setEnabled(true);
        setProgress(0);
    });
}

UpgradeWindow::~UpgradeWindow() {
    job_.reset();  // a running upload ends before the window's parts go
}

bool UpgradeWindow::uploading() const {
    return job_->running();
}

void UpgradeWindow::chooseFile() {
    const QString file =
        QFileDialog::getOpenFileName(this, QString::fromStdString(Msg(86)), QString(),
                                     QStringLiteral("Image Files(*.data);;All(*.*)"));
    if (!file.isEmpty())
        path_->setText(file);
}

void UpgradeWindow::setProgress(int percent) {
    bar_->setValue(percent);
    bar_->setFormat(QString::fromStdString(FirmwareUpgrade::ProgressText(percent)));
    emit progressChanged(percent);
}

void UpgradeWindow::setBusy(bool busy) {
    start_->setEnabled(!busy);
    exit_->setEnabled(!busy);
    browse_->setEnabled(!busy);
    path_->setReadOnly(busy);
}

void UpgradeWindow::start() {
    if (job_->running())
        return;
    bar_->show();
    setProgress(0);
    setBusy(true);
    const std::filesystem::path image = path_->text().toStdString();
    // The window's own bar shows the upload, not the shared progress window.
    job_->start(
        [this, image](shell::Progress&) {
            BarProgress progress([this](int percent) {
                QMetaObject::invokeMethod(
                    this, [this, percent] { setProgress(percent); }, Qt::QueuedConnection);
            });
            return FirmwareUpgrade(app_, *prompter_).Run(image, progress);
        },
        [this](const shell::JobResult& result) { workerDone(result.done()); });
}

void UpgradeWindow::workerDone(bool ok) {
    setBusy(false);
    if (ok) {
        start_->setEnabled(false);
        QTimer::singleShot(reconnectDelay_, this, [this] {
            notify_({shell::Manager::Upgrade, shell::ToolWindowEvent::What::ReceiverRestarts});
        });
    }
    emit uploadFinished(ok);
}

void UpgradeWindow::closeEvent(QCloseEvent* event) {
    if (job_->running()) {
        event->ignore();  // the upload finishes first
        return;
    }
    event->accept();
    notify_({shell::Manager::Upgrade, shell::ToolWindowEvent::What::Closed});
}

}  // namespace velkport::upgrade
