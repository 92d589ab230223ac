#include "velkport/media/ui/MediaWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "velkport/media/JpegPreparer.h"
#include "velkport/media/MediaText.h"
#include "velkport/media/MediaTransfer.h"
#include "velkport/media/ui/IconFiller.h"
#include "velkport/media/ui/MediaButtons.h"
#include "velkport/media/ui/MediaMenus.h"
#include "velkport/media/ui/PcPane.h"
#include "velkport/media/ui/ReceiverViews.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Progress.h"
#include "velkport/shell/widgets/ProgressWindow.h"
#include "velkport/shell/widgets/QtPrompter.h"
#include "velkport/shell/widgets/WindowProgress.h"

namespace velkport::media {

namespace fs = std::filesystem;
using shell::Msg;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr int kReceiverRetryMs = 100;

}  // namespace

MediaWindow::MediaWindow(MediaType type, link::ChannelTable& table, shell::Prompter& prompter,
                         bool online, shell::ToolWindowNotify notify, fs::path pcFolder,
                         QWidget* parent)
    : QWidget(parent, Qt::Window),
      prompter_(std::make_unique<shell::UiThreadPrompter>(prompter, this)),
      manager_(type, table, *prompter_),
      online_(online),
      notify_(std::move(notify)) {
    setWindowTitle(Q(Msg(Traits(type).titleMessage)));
    resize(900, 700);
    buildLayout();
    new MediaMenus(this);
    progressWindow_ = new shell::ProgressWindow(this);
    progress_ = std::make_unique<shell::WindowProgress>(progressWindow_, this);
    setPcFolder(pcFolder.empty() ? fs::path(QDir::homePath().toStdString()) : pcFolder, false);
    if (online_) {
        history_.Visit({FolderHistory::Side::Receiver, ""});
        refreshReceiver();
        fillReceiverTree();
    }
    updateControls();
}

QWidget* MediaWindow::Create(MediaType type, link::ChannelTable& table, shell::Prompter& prompter,
                             bool online, shell::ToolWindowNotify notify, QWidget* owner) {
    auto* w = new MediaWindow(type, table, prompter, online, std::move(notify), {}, owner);
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

MediaWindow::~MediaWindow() {
    destroying_ = true;
    progress_->cancel();
    recFiller_->stop();
    pc_->stopIcons();
    prompter_->detach();
    while (workerRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (worker_.joinable())
        worker_.join();
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

// ----- Layout -----

void MediaWindow::buildLayout() {
    buttons_ = MakeButtons(this, type());
    connect(button(MediaButton::Back), &QPushButton::clicked, this, [this] { go(false); });
    connect(button(MediaButton::Forward), &QPushButton::clicked, this, [this] { go(true); });
    connect(button(MediaButton::Download), &QPushButton::clicked, this, [this] { download(); });
    connect(button(MediaButton::Upload), &QPushButton::clicked, this, [this] { upload(); });
    connect(button(MediaButton::Refresh), &QPushButton::clicked, this, [this] {
        refreshPc();
        refreshReceiver();
    });
    connect(button(MediaButton::UpFolder), &QPushButton::clicked, this, &MediaWindow::upFolder);
    connect(button(MediaButton::NewFolder), &QPushButton::clicked, this,
            &MediaWindow::newReceiverFolder);
    connect(button(MediaButton::Delete), &QPushButton::clicked, this,
            [this] { deleteReceiverRows(selectedReceiverRows()); });
    connect(button(MediaButton::MultiView), &QPushButton::clicked, this,
            &MediaWindow::toggleMultiView);

    pc_ = new PcPane(type(), this);
    connect(pc_, &PcPane::folderChosen, this,
            [this](const QString& folder) { setPcFolder(folder.toStdString()); });

    // Receiver side: the folder tree, the list (or icons) and the disk bar.
    recTree_ = new QTreeWidget(this);
    recTree_->setHeaderHidden(true);
    recTree_->setContextMenuPolicy(Qt::CustomContextMenu);
    recList_ = new QTreeWidget(this);
    recList_->setRootIsDecorated(false);
    recList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    recList_->setContextMenuPolicy(Qt::CustomContextMenu);
    recList_->setHeaderLabels(
        {Q(Msg(47)), Q(Msg(259)), Q(Msg(247)), Q(Msg(Traits(type()).column3Message))});
    recList_->headerItem()->setTextAlignment(1, Qt::AlignRight);
    recIcons_ = new QListWidget(this);
    recIcons_->setViewMode(QListView::IconMode);
    recIcons_->setIconSize(QSize(JpegPreparer::kThumbWidth, JpegPreparer::kThumbHeight));
    recIcons_->setResizeMode(QListView::Adjust);
    recStack_ = new QStackedWidget(this);
    recStack_->addWidget(recList_);
    recStack_->addWidget(recIcons_);
    recFiller_ = new IconFiller(recIcons_);
    connect(recFiller_, &IconFiller::finished, this, &MediaWindow::receiverIconsDone);
    diskBar_ = new QProgressBar(this);
    diskBar_->setTextVisible(true);
    connect(recTree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        std::vector<std::string> levels;
        for (const auto& l : item->data(0, Qt::UserRole).toStringList())
            levels.push_back(l.toStdString());
        enterReceiverFolder(levels);
    });
    connect(recList_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int row = item->data(0, kRowRole).toInt();
        if (entries_[static_cast<std::size_t>(row)].isFile()) {
            openReceiverFile(row);
        } else {
            auto levels = manager_.currentLevels();
            levels.push_back(entries_[static_cast<std::size_t>(row)].name);
            enterReceiverFolder(levels);
        }
    });
    connect(recTree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        if (!filling_)
            renameTreeFolder(item, item->text(0).toStdString());
    });
    connect(recList_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (filling_ || column != 0)
            return;
        const int row = item->data(0, kRowRole).toInt();
        if (!renameReceiverRow(row, item->text(0).toStdString())) {
            filling_ = true;  // the edit is undone
            item->setText(0, Q(entries_[static_cast<std::size_t>(row)].name));
            filling_ = false;
        }
    });

    auto* recSide = new QWidget(this);
    auto* recLayout = new QVBoxLayout(recSide);
    recLayout->setContentsMargins(0, 0, 0, 0);
    auto* recSplit = new QSplitter(Qt::Vertical, recSide);
    recSplit->addWidget(recTree_);
    recSplit->addWidget(recStack_);
    recLayout->addWidget(recSplit);
    recLayout->addWidget(diskBar_);
    auto* sides = new QSplitter(Qt::Horizontal, this);
    sides->addWidget(pc_);
    sides->addWidget(recSide);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 43, 4, 4);
    layout->addWidget(sides);
}

// ----- Lists -----

bool MediaWindow::workerRunning() const {
    return running_ || recFiller_->running() || pc_->iconsRunning();
}

void MediaWindow::quietChannel() {
    recFiller_->stop();
    while (recFiller_->running())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void MediaWindow::updateControls() {
    const bool idle = !running_;
    for (auto* b : buttons_)
        b->setEnabled(idle);
    const bool receiver = idle && online_;
    for (auto b : {MediaButton::Download, MediaButton::Upload, MediaButton::UpFolder,
                   MediaButton::NewFolder, MediaButton::Delete})
        button(b)->setEnabled(receiver);
    button(MediaButton::Back)->setEnabled(idle && history_.canGoBack());
    button(MediaButton::Forward)->setEnabled(idle && history_.canGoForward());
    button(MediaButton::MultiView)->setEnabled(idle && type() == MediaType::Jpeg);
}

void MediaWindow::refreshReceiver() {
    if (!online_ || running_)
        return;
    quietChannel();
    showDiskUsage();  // first: an icon fill takes the channel over
    if (multiView_) {
        startReceiverIcons();
        return;
    }
    entries_.clear();
    if (!manager_.ChangeFolder(manager_.currentLevels()) || !manager_.ListFolder(entries_))
        entries_.clear();
    fillReceiverList();
}

void MediaWindow::fillReceiverList() {
    filling_ = true;
    FillReceiverList(recList_, type(), entries_);
    filling_ = false;
}

void MediaWindow::fillReceiverTree() {
    if (!online_ || running_)
        return;
    quietChannel();
    const auto levels = manager_.currentLevels();
    std::vector<FolderTreeEntry> tree;
    // The tree comes from the root; the list's folder is chosen again afterwards.
    if (!manager_.ChangeFolder({}) || !manager_.ListFolderTree(tree))
        tree.clear();
    manager_.ChangeFolder(levels);
    filling_ = true;
    FillReceiverTree(recTree_, type(), tree);
    filling_ = false;
}

void MediaWindow::showDiskUsage() {
    const auto usage = manager_.GetDiskUsage();
    if (!usage)
        return;
    diskBar_->setRange(0, static_cast<int>(std::max<std::uint32_t>(1, usage->totalMiB())));
    diskBar_->setValue(static_cast<int>(usage->usedMiB()));
    diskBar_->setFormat(
        QStringLiteral("%1 MB / %2 MB").arg(usage->usedMiB()).arg(usage->totalMiB()));
}

void MediaWindow::refreshPc() {
    pc_->refresh();
}

void MediaWindow::setPcFolder(const fs::path& folder, bool record) {
    pc_->setFolder(folder);
    if (record)
        history_.Visit({FolderHistory::Side::Pc, folder.string()});
    updateControls();
}

void MediaWindow::enterReceiverFolder(const std::vector<std::string>& levels, bool record) {
    if (!online_ || running_)
        return;
    quietChannel();
    if (!manager_.ChangeFolder(levels))
        return;
    if (record) {
        std::string joined;
        for (const auto& l : levels)
            joined += (joined.empty() ? "" : "/") + l;
        history_.Visit({FolderHistory::Side::Receiver, joined});
    }
    refreshReceiver();
    updateControls();
}

void MediaWindow::upFolder() {
    auto levels = manager_.currentLevels();
    if (!levels.empty()) {
        levels.pop_back();
        enterReceiverFolder(levels);
    }
}

void MediaWindow::go(bool forward) {
    button(forward ? MediaButton::Forward : MediaButton::Back)->setEnabled(false);
    if (const auto e = forward ? history_.Forward() : history_.Back()) {
        if (e->side == FolderHistory::Side::Pc) {
            setPcFolder(e->folder, false);
        } else {
            std::vector<std::string> levels;
            for (const auto& l : QString::fromStdString(e->folder).split('/', Qt::SkipEmptyParts))
                levels.push_back(l.toStdString());
            enterReceiverFolder(levels, false);
        }
    }
    updateControls();
}

std::vector<std::string> MediaWindow::rowNames() const {
    std::vector<std::string> names;
    for (const auto& e : entries_)
        names.push_back(e.name);
    return names;
}

QTreeView* MediaWindow::pcList() const {
    return pc_->list();
}

const fs::path& MediaWindow::pcFolder() const {
    return pc_->folder();
}

const link::FolderEntry* MediaWindow::entryOf(QTreeWidgetItem* item) const {
    if (!item)
        return nullptr;
    const int row = item->data(0, kRowRole).toInt();
    return row >= 0 && static_cast<std::size_t>(row) < entries_.size()
               ? &entries_[static_cast<std::size_t>(row)]
               : nullptr;
}

std::vector<int> MediaWindow::selectedReceiverRows() const {
    std::vector<int> rows;
    for (auto* item : recList_->selectedItems())
        rows.push_back(item->data(0, kRowRole).toInt());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<fs::path> MediaWindow::selectedPcFiles() const {
    return pc_->selectedFiles();
}

bool MediaWindow::ask(int message, const std::string& arg) {
    std::string text = Msg(message);
    for (const char* f : {"%s", "%d"})
        if (const auto at = text.find(f); at != std::string::npos)
            text.replace(at, 2, arg);
    return prompter_->askYesNo(text);
}

// ----- Changes on the receiver -----

void MediaWindow::newReceiverFolder() {
    if (!online_ || running_)
        return;
    quietChannel();
    if (manager_.CreateFolder(ProposeNewFolderName(rowNames())))
        manager_.FinishChanges();
    refreshReceiver();
    fillReceiverTree();
}

void MediaWindow::newPcFolder() {
    pc_->newFolder();
}

bool MediaWindow::renameReceiverRow(int row, const std::string& newName) {
    if (row < 0 || static_cast<std::size_t>(row) >= entries_.size() || running_)
        return false;
    const auto& e = entries_[static_cast<std::size_t>(row)];
    const auto check = CheckRename(type(), e.isFile(), e.name, newName, rowNames());
    if (check.result == RenameCheck::Refused) {
        prompter_->showMessage(
            check.text, check.errorIcon ? shell::PromptIcon::Error : shell::PromptIcon::Warning);
        return false;
    }
    if (check.result == RenameCheck::Unchanged)
        return false;
    quietChannel();
    if (!manager_.RenameItem(e.name, check.name, e.isFile() ? kKindFile : kKindFolder) ||
        !manager_.FinishChanges())
        return false;
    refreshReceiver();
    if (!e.isFile())
        fillReceiverTree();
    return true;
}

bool MediaWindow::renameTreeFolder(QTreeWidgetItem* item, const std::string& newName) {
    const QStringList path = item ? item->data(0, Qt::UserRole).toStringList() : QStringList();
    if (path.isEmpty() || running_)
        return false;
    quietChannel();
    std::vector<std::string> parent;
    for (const auto& l : path)
        parent.push_back(l.toStdString());
    const std::string old = parent.back();
    parent.pop_back();
    std::vector<link::FolderEntry> siblings;
    std::vector<std::string> names;
    bool ok = manager_.ChangeFolder(parent) && manager_.ListFolder(siblings);
    for (const auto& e : siblings)
        names.push_back(e.name);
    const auto check = CheckRename(type(), false, old, newName, names);
    if (ok && check.result == RenameCheck::Refused)
        prompter_->showMessage(check.text, shell::PromptIcon::Warning);
    ok = ok && check.result == RenameCheck::Ok &&
         manager_.RenameItem(old, check.name, kKindFolder) && manager_.FinishChanges();
    manager_.ChangeFolder({});
    refreshReceiver();
    fillReceiverTree();  // also undoes a refused edit
    return ok;
}

void MediaWindow::deleteReceiverRows(const std::vector<int>& rows) {
    if (rows.empty() || !online_ || running_)
        return;
    const bool one = rows.size() == 1;
    if (!(one ? ask(113, entries_[static_cast<std::size_t>(rows[0])].name)
              : ask(114, std::to_string(rows.size()))))
        return;
    quietChannel();
    bool folders = false;
    for (int row : rows) {
        const auto& e = entries_[static_cast<std::size_t>(row)];
        folders = folders || !e.isFile();
        if (!manager_.DeleteItem(e.name, e.isFile() ? kKindFile : kKindFolder))
            break;
    }
    manager_.FinishChanges();
    refreshReceiver();
    if (folders)
        fillReceiverTree();
}

void MediaWindow::removeTreeFolder(QTreeWidgetItem* item) {
    if (!item || !item->parent() || running_ || !ask(171, item->text(0).toStdString()))
        return;
    quietChannel();
    std::vector<std::string> levels;
    for (const auto& l : item->data(0, Qt::UserRole).toStringList())
        levels.push_back(l.toStdString());
    const std::string name = levels.back();
    levels.pop_back();
    if (manager_.ChangeFolder(levels) && manager_.DeleteItem(name, kKindFolder))
        manager_.FinishChanges();
    manager_.ChangeFolder({});
    refreshReceiver();
    fillReceiverTree();
}

void MediaWindow::deletePcFiles(const std::vector<fs::path>& files) {
    if (files.empty() || !(files.size() == 1 ? ask(113, files[0].filename().string())
                                             : ask(114, std::to_string(files.size()))))
        return;
    std::error_code ec;
    for (const auto& f : files)
        fs::remove_all(f, ec);
    refreshPc();
}

// ----- Transfers and icon views on worker threads -----

bool MediaWindow::startWorker(std::function<int()> job, std::function<void(int)> done) {
    if (running_)
        return false;
    quietChannel();
    if (worker_.joinable())
        worker_.join();
    running_ = true;
    progress_->arm();
    updateControls();
    worker_ = std::thread([this, job = std::move(job), done = std::move(done)] {
        const int result = job();
        QMetaObject::invokeMethod(
            this,
            [this, done, result] {
                if (destroying_)
                    return;
                while (running_)
                    std::this_thread::yield();
                if (worker_.joinable())
                    worker_.join();
                progressWindow_->finish();
                updateControls();
                done(result);
                emit transferFinished(result);
            },
            Qt::QueuedConnection);
        running_ = false;
    });
    return true;
}

void MediaWindow::download(std::vector<int> rows) {
    if (rows.empty())
        rows = selectedReceiverRows();
    if (rows.empty() || !online_)
        return;
    std::vector<link::FolderEntry> items;
    for (int r : rows)
        items.push_back(entries_[static_cast<std::size_t>(r)]);
    startWorker(
        [this, items, to = pc_->folder()] {
            MediaTransfer t(manager_);
            return t.Download(items, to, *progress_);
        },
        [this](int) { refreshPc(); });
}

void MediaWindow::upload(std::vector<fs::path> files) {
    if (files.empty())
        files = selectedPcFiles();
    if (files.empty() || !online_)
        return;
    startWorker(
        [this, files] {
            MediaTransfer t(manager_);
            return t.Upload(files, *progress_);
        },
        [this](int) {
            refreshReceiver();
            fillReceiverTree();
        });
}

void MediaWindow::openReceiverFile(int row) {
    const auto name = entries_[static_cast<std::size_t>(row)].name;
    // The copy goes to the user's run-time folder, not among the user's own files.
    const fs::path folder = JpegPreparer::DefaultWorkRoot();
    const std::string local = type() == MediaType::Mp3 ? "_current_.mp3" : "_current_.jpg";
    startWorker(
        [this, name, folder, local] {
            MediaTransfer t(manager_);
            return t.DownloadFile(name, folder, *progress_, local);
        },
        [this, folder, local](int result) {
            const QString path = Q((folder / local).string());
            if (result != kTransferDone)
                return;
            if (openFile_)
                openFile_(path);
            else
                QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        });
}

void MediaWindow::toggleMultiView() {
    multiView_ = !multiView_;
    button(MediaButton::MultiView)->setChecked(multiView_);
    recStack_->setCurrentIndex(multiView_ ? 1 : 0);
    pc_->setMultiView(multiView_);
    refreshReceiver();
}

void MediaWindow::startReceiverIcons() {
    if (!recFiller_->start([this](const IconFiller::Add& add, const std::atomic<bool>& stop) {
            std::vector<link::FolderEntry> entries;
            if (!manager_.ListFolder(entries))
                return;
            for (const auto& e : entries) {
                if (stop)
                    return;
                if (e.isFile())
                    add(e.name,
                        manager_.GetThumbnail(e.name).value_or(std::vector<std::uint8_t>{}));
            }
        })) {
        // A fill still runs: it is told to stop and the refresh is tried again.
        recFiller_->stop();
        QTimer::singleShot(kReceiverRetryMs, this, [this] {
            if (multiView_ && !running_)
                startReceiverIcons();
        });
    }
}

void MediaWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The transfer is told to stop; the close is tried again until it has.
        progress_->cancel();
        event->ignore();
        QTimer::singleShot(200, this, &QWidget::close);
        return;
    }
    recFiller_->stop();
    pc_->stopIcons();
    event->accept();
    if (notify_)
        notify_({type() == MediaType::Mp3 ? shell::Manager::Mp3 : shell::Manager::Jpeg,
                 shell::ToolWindowEvent::What::Closed});
}

}  // namespace velkport::media
