#include "velkport/recordings/ui/RecordingsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "velkport/link/ChannelTable.h"
#include "velkport/recordings/playback/ui/PlayerLauncher.h"
#include "velkport/recordings/ui/IconViewBuilder.h"
#include "velkport/recordings/ui/RecordingsEdits.h"
#include "velkport/recordings/ui/RecordingsFolderTrees.h"
#include "velkport/recordings/ui/RecordingsLists.h"
#include "velkport/recordings/ui/RecordingsMenu.h"
#include "velkport/recordings/ui/RecordingsPane.h"
#include "velkport/recordings/ui/RecordingsRoles.h"
#include "velkport/recordings/ui/RecordingsTransfers.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/SettingsStore.h"
#include "velkport/shell/widgets/BackgroundJob.h"
#include "velkport/shell/widgets/ProgressWindow.h"
#include "velkport/shell/widgets/QtPrompter.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::recordings {

using shell::Q;
using shell::S;

namespace fs = std::filesystem;
using shell::Msg;

namespace {

QPixmap PictureOf(const ThumbnailResult& picture) {
    QImage image;
    if (!picture.picture ||
        !image.loadFromData(picture.ppm.data(), static_cast<int>(picture.ppm.size()), "PPM"))
        return {};
    return QPixmap::fromImage(image);
}

}  // namespace

RecordingsWindow::RecordingsWindow(link::ChannelTable& table, shell::Prompter& prompter,
                                   bool online, shell::ToolWindowNotify notify,
                                   fs::path localFolder, RecordManagerOptions options,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window),
      prompter_(std::make_unique<shell::UiThreadPrompter>(prompter, this)),
      online_(online),
      notify_(std::move(notify)) {
    setWindowTitle(Q(Msg(183)));
    if (localFolder.empty()) {
        shell::SettingsStore store;
        localFolder = RecordManager::ResolveLocalFolder(store).value_or(fs::path());
    } else {
        std::error_code ec;
        fs::create_directories(localFolder, ec);
    }
    baseFolder_ = localFolder;
    manager_ = std::make_unique<RecordManager>(table, *prompter_, localFolder, options);
    job_ = std::make_unique<shell::BackgroundJob>(this, prompter_.get());

    chooser_ = [this](const QString& current) {
        return RecordingsFolderTrees::ChooseWithDialog(this, current);
    };
    // Open plays a recording in Velkport's own player window.
    opener_ = playback::PlayerOpener(this, prompter);

    buildLayout();
    resize(900, 700);
    RecordingsFolderTrees trees(*this);
    trees.fillPc();
    if (online_)
        trees.fillReceiver();
    updateDiskBars();
    refreshLists();
    updateControls();
}

QWidget* RecordingsWindow::Create(link::ChannelTable& table, shell::Prompter& prompter, bool online,
                                  shell::ToolWindowNotify notify, QWidget* owner) {
    auto* w = new RecordingsWindow(table, prompter, online, std::move(notify), {}, {}, owner);
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

RecordingsWindow::~RecordingsWindow() {
    // A worker that still runs is asked to stop (its questions are answered No) and ends first.
    destroying_ = true;
    job_.reset();
    // The controls go before the manager they call into.
    filling_ = true;
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

// ----- Layout -----

void RecordingsWindow::buildLayout() {
    auto addButton = [this](RecordButton b, int message) {
        auto* button = new QPushButton(Q(Msg(message)), this);
        buttons_[static_cast<std::size_t>(b)] = button;
        return button;
    };
    auto* top = new QHBoxLayout;
    // The captions name the direction as the receiver sees it.
    top->addWidget(addButton(RecordButton::Download, 53));
    top->addWidget(addButton(RecordButton::Upload, 54));
    top->addWidget(addButton(RecordButton::Refresh, 55));
    top->addWidget(addButton(RecordButton::Setting, 64));
    top->addWidget(addButton(RecordButton::Delete, 11));
    radio_ = new QCheckBox(Q(Msg(12)), this);
    multiView_ = new QCheckBox(Q(Msg(58)), this);
    top->addWidget(radio_);
    top->addWidget(multiView_);
    top->addStretch(1);

    const QSize iconSize(ThumbnailMaker::kWidth, ThumbnailMaker::kHeight);
    auto col = [](int message, double fraction, bool right = false) {
        return RecordingsPane::Column{Q(Msg(message)), fraction, right};
    };
    auto* sides = new QSplitter(Qt::Horizontal, this);
    recPane_ = new RecordingsPane({col(47, 0.30), col(261, 0.15, true), col(262, 0.25),
                                   col(44, 0.25), col(263, 0.10, true), col(186, 0.10, true)},
                                  iconSize, this, sides);
    pcPane_ = new RecordingsPane(
        {col(47, 0.30), col(87, 0.15, true), col(259, 0.15, true), col(247, 0.15), col(260, 0.30)},
        iconSize, this, sides);
    sides->addWidget(recPane_);
    sides->addWidget(pcPane_);
    recList_ = recPane_->list();
    pcList_ = pcPane_->list();
    recIcons_ = recPane_->icons();
    pcIcons_ = pcPane_->icons();
    recFolders_ = recPane_->tree();
    pcFolders_ = pcPane_->tree();
    recDisk_ = recPane_->disk();
    pcDisk_ = pcPane_->disk();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sides, 1);

    recPictureTimer_ = recPane_->pictureTimer();
    pcPictureTimer_ = pcPane_->pictureTimer();
    connect(recPictureTimer_, &QTimer::timeout, this,
            [this] { showSelectedPicture(Side::Receiver); });
    connect(pcPictureTimer_, &QTimer::timeout, this, [this] { showSelectedPicture(Side::Pc); });

    connect(button(RecordButton::Download), &QPushButton::clicked, this,
            &RecordingsWindow::uploadSelected);
    connect(button(RecordButton::Upload), &QPushButton::clicked, this,
            &RecordingsWindow::downloadSelected);
    connect(button(RecordButton::Refresh), &QPushButton::clicked, this,
            &RecordingsWindow::refreshLists);
    connect(button(RecordButton::Setting), &QPushButton::clicked, this,
            &RecordingsWindow::chooseFolder);
    connect(button(RecordButton::Delete), &QPushButton::clicked, this,
            &RecordingsWindow::deleteAction);
    connect(radio_, &QCheckBox::toggled, this, &RecordingsWindow::setRadio);
    connect(multiView_, &QCheckBox::toggled, this, &RecordingsWindow::setMultiView);

    connect(recList_, &QTreeWidget::itemSelectionChanged, this,
            &RecordingsWindow::scheduleReceiverPicture);
    connect(pcList_, &QTreeWidget::itemSelectionChanged, this,
            &RecordingsWindow::schedulePcPicture);
    connect(recList_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        RecordingsEdits(*this).receiverItemRenamed(item, column);
    });
    connect(pcList_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        RecordingsEdits(*this).pcItemRenamed(item, column);
    });
    connect(recFolders_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        RecordingsFolderTrees(*this).receiverFolderRenamed(item);
    });
    connect(recFolders_, &QTreeWidget::itemSelectionChanged, this,
            &RecordingsWindow::receiverFolderSelected);
    connect(pcFolders_, &QTreeWidget::itemSelectionChanged, this,
            &RecordingsWindow::pcFolderSelected);
    connect(pcList_, &QTreeWidget::itemDoubleClicked, this, &RecordingsWindow::openSelected);
    connect(pcIcons_, &QListWidget::itemDoubleClicked, this, &RecordingsWindow::openSelected);
    for (QWidget* control : std::initializer_list<QWidget*>{recList_, pcList_, recIcons_, pcIcons_,
                                                            recFolders_, pcFolders_}) {
        connect(static_cast<QAbstractItemView*>(control), &QWidget::customContextMenuRequested,
                this, [this, control](const QPoint& pos) { showMenu(control, pos); });
        connect(static_cast<QAbstractItemView*>(control), &QAbstractItemView::pressed, this,
                [this, control] {
                    focus_ = control == recList_ || control == recIcons_ ? Focus::ReceiverList
                             : control == pcList_ || control == pcIcons_ ? Focus::PcList
                             : control == recFolders_                    ? Focus::ReceiverTree
                                                                         : Focus::PcTree;
                });
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == recList_ || now == recIcons_)
            focus_ = Focus::ReceiverList;
        else if (now == pcList_ || now == pcIcons_)
            focus_ = Focus::PcList;
        else if (now == recFolders_)
            focus_ = Focus::ReceiverTree;
        else if (now == pcFolders_)
            focus_ = Focus::PcTree;
    });
}

void RecordingsWindow::updateControls() {
    const bool idle = !job_->running();
    button(RecordButton::Download)->setEnabled(idle && online_);
    button(RecordButton::Upload)->setEnabled(idle && online_);
    for (RecordButton b : {RecordButton::Refresh, RecordButton::Setting, RecordButton::Delete})
        button(b)->setEnabled(idle);
    radio_->setEnabled(idle);
    multiView_->setEnabled(idle && !manager_->radio());
    for (QWidget* w : std::initializer_list<QWidget*>{recList_, recIcons_, recFolders_})
        w->setEnabled(idle && online_);
    for (QWidget* w : std::initializer_list<QWidget*>{pcList_, pcIcons_, pcFolders_})
        w->setEnabled(idle);
}

void RecordingsWindow::updateDiskBars() {
    auto show = [](RecordingsPane* pane, const std::optional<DiskUsage>& usage) {
        if (usage)
            pane->showDisk(std::make_pair(usage->usedMiB, usage->totalMiB));
        else
            pane->showDisk(std::nullopt);
    };
    show(pcPane_, manager_->PcDiskUsage());
    if (online_ && !job_->running())
        show(recPane_, manager_->ReceiverDiskUsage());
}

// ----- Lists -----

void RecordingsWindow::refreshLists() {
    if (iconView_) {
        buildIcons();
        return;
    }
    refreshReceiverList();
    refreshPcList();
}

void RecordingsWindow::refreshReceiverList() {
    if (destroying_)
        return;
    if (job_->running()) {  // the worker owns the channel: try again soon
        QTimer::singleShot(30, this, &RecordingsWindow::refreshReceiverList);
        return;
    }
    RecordingsLists(*this).fillReceiver();
    clearPicture(Side::Receiver);
}

void RecordingsWindow::refreshPcList() {
    if (destroying_)
        return;
    if (job_->running()) {
        QTimer::singleShot(200, this, &RecordingsWindow::refreshPcList);
        return;
    }
    RecordingsLists(*this).fillPc();
    clearPicture(Side::Pc);
}

// ----- Folder trees -----

void RecordingsWindow::receiverFolderSelected() {
    if (filling_ || job_->running() || destroying_)
        return;
    QTreeWidgetItem* item = recFolders_->currentItem();
    if (item == nullptr)
        return;
    const int id = item->data(0, kFolderRole).toInt();
    if (id != kNoFolderId)
        manager_->SelectFolder(id);
    refreshReceiverList();
}

void RecordingsWindow::pcFolderSelected() {
    if (filling_ || job_->running() || destroying_)
        return;
    QTreeWidgetItem* item = pcFolders_->currentItem();
    if (item == nullptr)
        return;
    // This window's folder only; "LocalPath" keeps the chosen one.
    manager_->setLocalFolder(S(item->data(0, kFolderRole).toString()));
    refreshPcList();
    updateDiskBars();
}

void RecordingsWindow::newFolder() {
    RecordingsFolderTrees(*this).newFolder();
}

void RecordingsWindow::chooseFolder() {
    if (job_->running() || !chooser_)
        return;
    const QString chosen = chooser_(Q(manager_->localFolder().string()));
    if (chosen.isEmpty())
        return;
    shell::SettingsStore store;
    store.SaveLocalPath(S(chosen));
    std::error_code ec;
    fs::create_directories(S(chosen), ec);
    baseFolder_ = S(chosen);
    manager_->setLocalFolder(baseFolder_);
    RecordingsFolderTrees(*this).fillPc();
    updateDiskBars();
    if (iconView_)
        buildIcons();
    else
        refreshPcList();
}

// ----- Delete, open, menus -----

void RecordingsWindow::deleteAction() {
    RecordingsEdits(*this).deleteFocused();
}

void RecordingsWindow::openSelected() {
    const auto files = RecordingsLists(*this).selectedPcFiles();
    if (!files.empty() && opener_)
        opener_(Q((manager_->localFolder() / files.front()).string()));
}

std::unique_ptr<QMenu> RecordingsWindow::makeMenu(QWidget* control) {
    return RecordingsMenu(*this).make(control);
}

void RecordingsWindow::showMenu(QWidget* control, const QPoint& pos) {
    auto menu = makeMenu(control);
    menu->exec(static_cast<QAbstractItemView*>(control)->viewport()->mapToGlobal(pos));
}

// ----- Pictures -----

void RecordingsWindow::scheduleReceiverPicture() {
    if (filling_ || job_->running() || iconView_)
        return;
    recPictureTimer_->start(manager_->radio() ? 100 : 300);
}

void RecordingsWindow::schedulePcPicture() {
    if (filling_ || job_->running() || iconView_)
        return;
    pcPictureTimer_->start(manager_->radio() ? 100 : 300);
}

QLabel* RecordingsWindow::picture(Side side) const {
    return pane(side)->picture();
}

QLabel* RecordingsWindow::pictureText(Side side) const {
    return pane(side)->pictureText();
}

void RecordingsWindow::clearPicture(Side side) {
    pane(side)->clearPicture();
}

void RecordingsWindow::setPicture(Side side, const std::string& text,
                                  const ThumbnailResult& result) {
    // Without a picture the area keeps what it showed; radio recordings have none.
    const QPixmap pixmap = result.picture ? PictureOf(result) : QPixmap();
    pane(side)->showPicture(Q(text), result.picture ? &pixmap : nullptr, manager_->radio());
    emit pictureShown(side);
}

void RecordingsWindow::showSelectedPicture(Side side) {
    if (job_->running() || destroying_ || iconView_)
        return;
    if (side == Side::Receiver) {
        QTreeWidgetItem* item = recList_->currentItem();
        const RecordEntry* entry =
            item ? RecordingsLists(*this).entryNamed(S(item->data(0, kNameRole).toString()))
                 : nullptr;
        if (entry == nullptr || !online_)
            return;
        std::string text;
        ThumbnailResult result;
        const RecordEntry copy = *entry;
        manager_->ReceiverPicture(copy, text, result);
        if (static_cast<std::int32_t>(copy.scrambled) > 0)
            picture(side)->clear();
        setPicture(side, text, result);
        return;
    }
    QTreeWidgetItem* item = pcList_->currentItem();
    if (item == nullptr)
        return;
    const std::string fileName = S(item->data(0, kFileRole).toString());
    std::string text;
    ThumbnailResult result;
    manager_->PcPicture(fileName, text, result);
    std::error_code ec;
    if (!fs::exists(manager_->localFolder() / fileName, ec)) {  // offered and deleted
        refreshPcList();
        updateDiskBars();
        return;
    }
    setPicture(side, text, result);
}

// ----- Radio and icon view -----

void RecordingsWindow::setRadio(bool radio) {
    if (job_->running() || radio == manager_->radio())
        return;
    manager_->setRadio(radio);
    if (radio_->isChecked() != radio) {
        QSignalBlocker block(radio_);
        radio_->setChecked(radio);
    }
    if (radio && iconView_)
        multiView_->setChecked(false);  // icon view is for TV only
    updateControls();
    QTimer::singleShot(30, this, &RecordingsWindow::refreshReceiverList);
    QTimer::singleShot(50, this, &RecordingsWindow::refreshPcList);
}

void RecordingsWindow::setMultiView(bool on) {
    if (job_->running() || (on && manager_->radio()))
        on = false;
    if (multiView_->isChecked() != on) {
        QSignalBlocker block(multiView_);
        multiView_->setChecked(on);
    }
    if (on == iconView_)
        return;
    iconView_ = on;
    recPane_->setIconView(on);
    pcPane_->setIconView(on);
    clearPicture(Side::Receiver);
    clearPicture(Side::Pc);
    if (on)
        buildIcons();
    else
        refreshLists();
}

void RecordingsWindow::buildIcons() {
    IconViewBuilder(*this).start();
}

// ----- Transfers -----

bool RecordingsWindow::startWorker(std::function<void(shell::Progress&)> work,
                                   std::function<void()> done) {
    const bool started = job_->start(
        [work = std::move(work)](shell::Progress& progress) {
            work(progress);
            return shell::JobResult::Done();
        },
        [this, done = std::move(done)](const shell::JobResult&) {
            updateControls();
            done();
        });
    if (started) {
        recPictureTimer_->stop();
        pcPictureTimer_->stop();
        updateControls();
    }
    return started;
}

bool RecordingsWindow::workerRunning() const {
    return job_->running();
}

shell::ProgressWindow* RecordingsWindow::progressWindow() const {
    return job_->progressWindow();
}

void RecordingsWindow::beginTransfer() {
    job_->progressWindow()->start(QString(), this);
}

void RecordingsWindow::finishTransfer(const shell::JobResult& result) {
    job_->progressWindow()->finish();
    updateDiskBars();
    emit transferFinished(result);
}

void RecordingsWindow::downloadSelected() {
    RecordingsTransfers(*this).download();
}

void RecordingsWindow::uploadSelected() {
    RecordingsTransfers(*this).upload();
}

// ----- Events -----

bool RecordingsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (watched == recList_ || watched == recIcons_)
            focus_ = Focus::ReceiverList;
        else if (watched == pcList_ || watched == pcIcons_)
            focus_ = Focus::PcList;
        else if (watched == recFolders_)
            focus_ = Focus::ReceiverTree;
        else if (watched == pcFolders_)
            focus_ = Focus::PcTree;
        else
            return QWidget::eventFilter(watched, event);
        deleteAction();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void RecordingsWindow::closeEvent(QCloseEvent* event) {
    if (job_->closeWhenDone()) {
        // The worker is told to stop; the window closes once it has.
        event->ignore();
        return;
    }
    event->accept();
    if (notify_)
        notify_({shell::Manager::Record, shell::ToolWindowEvent::What::Closed});
}

}  // namespace velkport::recordings