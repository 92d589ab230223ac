#include "velkport/recordings/ui/RecordingsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
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
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <mutex>

#include "common/Text.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/playback/ui/PlayerLauncher.h"
#include "velkport/recordings/ui/RecordingsPane.h"
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

// The first "%s" or "%d" of a catalogue text filled with arg.
QString Fill(int id, const std::string& arg) {
    return Q(common::FillArg(Msg(id), arg));
}

constexpr int kNameRole = Qt::UserRole;        // receiver file name / PC title
constexpr int kFileRole = Qt::UserRole + 1;    // PC file name
constexpr int kFolderRole = Qt::UserRole + 2;  // receiver folder id or PC folder path
constexpr int kNoFolderId = -1;                // a receiver tree entry the receiver does not know
constexpr int kTreeDepth = 4;                  // levels of PC subfolders shown
constexpr int kTreeLimit = 2000;               // PC folders shown at most

QPixmap PictureOf(const ThumbnailResult& picture) {
    QImage image;
    if (!picture.picture ||
        !image.loadFromData(picture.ppm.data(), static_cast<int>(picture.ppm.size()), "PPM"))
        return {};
    return QPixmap::fromImage(image);
}

QPixmap BlankIcon() {
    QPixmap blank(ThumbnailMaker::kWidth, ThumbnailMaker::kHeight);
    blank.fill(Qt::darkGray);
    return blank;
}

// Selects the rows whose text under role is one the batch just brought, and makes the last of
// them the current row.
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
        QFileDialog dialog(this, Q(Msg(61)), current);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        QString chosenDefault;
        if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
            QPushButton* def = box->addButton(Q(Msg(62)), QDialogButtonBox::ResetRole);
            connect(def, &QPushButton::clicked, &dialog, [&] {
                shell::SettingsStore store;
                chosenDefault = Q(store.DefaultLocalPath().value_or(std::string()));
                static_cast<QDialog&>(dialog).done(QDialog::Accepted);
            });
        }
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        if (!chosenDefault.isEmpty())
            return chosenDefault;
        return dialog.selectedFiles().isEmpty() ? QString() : dialog.selectedFiles().first();
    };
    // Open plays a recording in Velkport's own player window.
    opener_ = playback::PlayerOpener(this, prompter);

    buildLayout();
    resize(900, 700);
    fillPcTree();
    if (online_)
        fillReceiverTree();
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
    connect(recList_, &QTreeWidget::itemChanged, this, &RecordingsWindow::receiverItemRenamed);
    connect(pcList_, &QTreeWidget::itemChanged, this, &RecordingsWindow::pcItemRenamed);
    connect(recFolders_, &QTreeWidget::itemChanged, this, &RecordingsWindow::receiverFolderRenamed);
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
    if (online_)
        manager_->RefreshReceiverList(entries_);
    filling_ = true;
    recList_->clear();
    for (const RecordEntry& e : entries_) {
        auto* item = new QTreeWidgetItem(recList_);
        item->setText(kRecName, Q(ToDisplayText(e.title)));
        item->setText(kRecChNum, QString::number(e.channelNumber));
        item->setText(kRecChName, Q(ToDisplayText(e.channelName)));
        item->setText(kRecStart, Q(FormatStartTime(e.start)));
        item->setText(kRecDuration, Q(FormatDuration(e.duration)));
        item->setText(kRecScrambled, QString::number(static_cast<std::int32_t>(e.scrambled)));
        for (int c : {kRecChNum, kRecDuration, kRecScrambled})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, kNameRole, Q(e.fileName));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    filling_ = false;
    clearPicture(Side::Receiver);
}

void RecordingsWindow::refreshPcList() {
    if (destroying_)
        return;
    if (job_->running()) {
        QTimer::singleShot(200, this, &RecordingsWindow::refreshPcList);
        return;
    }
    pcFiles_ = manager_->RefreshPcList();
    filling_ = true;
    pcList_->clear();
    for (const PcRecording& r : pcFiles_) {
        auto* item = new QTreeWidgetItem(pcList_);
        item->setText(kPcName, Q(r.fileName));
        item->setText(kPcChannel, QStringLiteral("CH-"));
        item->setText(kPcSize, Q(FormatSizeKiB(r.bytes)));
        item->setText(kPcType, manager_->radio() ? QStringLiteral("RTS") : QStringLiteral("TS"));
        item->setText(kPcModified, Q(FormatModified(r.modified)));
        for (int c : {kPcChannel, kPcSize})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, kNameRole, Q(r.title));
        item->setData(0, kFileRole, Q(r.fileName));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    filling_ = false;
    clearPicture(Side::Pc);
}

const RecordEntry* RecordingsWindow::entryNamed(const std::string& fileName) const {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const RecordEntry& e) { return e.fileName == fileName; });
    return it == entries_.end() ? nullptr : &*it;
}

std::vector<RecordEntry> RecordingsWindow::selectedReceiverEntries() const {
    std::vector<RecordEntry> out;
    // In list order, as the batch runs them.
    if (iconView_) {
        for (int i = 0; i < recIcons_->count(); ++i)
            if (recIcons_->item(i)->isSelected())
                if (const RecordEntry* e =
                        entryNamed(S(recIcons_->item(i)->data(kNameRole).toString())))
                    out.push_back(*e);
        return out;
    }
    for (int i = 0; i < recList_->topLevelItemCount(); ++i)
        if (recList_->topLevelItem(i)->isSelected())
            if (const RecordEntry* e =
                    entryNamed(S(recList_->topLevelItem(i)->data(0, kNameRole).toString())))
                out.push_back(*e);
    return out;
}

std::vector<std::string> RecordingsWindow::selectedPcFiles() const {
    std::vector<std::string> out;
    if (iconView_) {
        for (int i = 0; i < pcIcons_->count(); ++i)
            if (pcIcons_->item(i)->isSelected())
                out.push_back(S(pcIcons_->item(i)->data(kFileRole).toString()));
        return out;
    }
    for (int i = 0; i < pcList_->topLevelItemCount(); ++i)
        if (pcList_->topLevelItem(i)->isSelected())
            out.push_back(S(pcList_->topLevelItem(i)->data(0, kFileRole).toString()));
    return out;
}

// ----- Folder trees -----

void RecordingsWindow::fillPcTree() {
    filling_ = true;
    pcFolders_->clear();
    if (!baseFolder_.empty()) {
        int count = 0;
        std::function<void(QTreeWidgetItem*, const fs::path&, int)> addChildren =
            [&](QTreeWidgetItem* parent, const fs::path& folder, int depth) {
                if (depth >= kTreeDepth)
                    return;
                std::vector<fs::path> subfolders;
                std::error_code ec;
                for (const auto& e : fs::directory_iterator(folder, ec))
                    if (e.is_directory(ec) && !e.is_symlink(ec))
                        subfolders.push_back(e.path());
                std::sort(subfolders.begin(), subfolders.end());
                for (const fs::path& sub : subfolders) {
                    if (++count > kTreeLimit)
                        return;
                    auto* item = new QTreeWidgetItem(parent, {Q(sub.filename().string())});
                    item->setData(0, kFolderRole, Q(sub.string()));
                    addChildren(item, sub, depth + 1);
                }
            };
        auto* root = new QTreeWidgetItem(pcFolders_, {Q(baseFolder_.string())});
        root->setData(0, kFolderRole, Q(baseFolder_.string()));
        addChildren(root, baseFolder_, 0);
        pcFolders_->expandItem(root);
        // The folder the list shows stays selected.
        const QString current = Q(manager_->localFolder().string());
        QTreeWidgetItemIterator it(pcFolders_);
        for (; *it; ++it)
            if ((*it)->data(0, kFolderRole).toString() == current) {
                pcFolders_->setCurrentItem(*it);
                break;
            }
    }
    filling_ = false;
}

void RecordingsWindow::fillReceiverTree() {
    filling_ = true;
    recFolders_->clear();
    std::array<std::optional<FolderRecord>, 256> table;
    if (manager_->FoldersSupported() && manager_->ReadFolders(table)) {
        const FolderNode tree = BuildFolderTree(table);
        std::function<void(QTreeWidgetItem*, const FolderNode&)> add = [&](QTreeWidgetItem* item,
                                                                           const FolderNode& node) {
            item->setText(0, Q(ToDisplayText(node.name)));
            item->setData(0, kFolderRole, node.id);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
            for (const FolderNode& child : node.children)
                add(new QTreeWidgetItem(item), child);
        };
        auto* root = new QTreeWidgetItem(recFolders_);
        add(root, tree);
        recFolders_->expandAll();
        recFolders_->setCurrentItem(root);
        manager_->SelectFolder(tree.id);
    }
    filling_ = false;
}

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

void RecordingsWindow::receiverFolderRenamed(QTreeWidgetItem* item, int) {
    if (filling_ || item == nullptr)
        return;
    const int id = item->data(0, kFolderRole).toInt();
    if (id == kNoFolderId)
        return;  // only on the PC side so far: nothing to tell the receiver
    if (!manager_->RenameFolder(id, S(item->text(0))))
        fillReceiverTree();
}

void RecordingsWindow::newFolder() {
    auto freeName = [](auto taken) {
        for (int n = 1;; ++n) {
            QString name = QStringLiteral("new folder(%1)").arg(n);
            if (!taken(name))
                return name;
        }
    };
    if (focus_ == Focus::PcTree) {
        QTreeWidgetItem* item = pcFolders_->currentItem();
        if (item == nullptr)
            return;
        const fs::path parent = S(item->data(0, kFolderRole).toString());
        const QString name = freeName([&](const QString& n) {
            std::error_code ec;
            return fs::exists(parent / S(n), ec);
        });
        std::error_code ec;
        if (!fs::create_directory(parent / S(name), ec) && ec)
            prompter_->showMessage(ec.message(), shell::PromptIcon::Error);
        fillPcTree();
    } else if (focus_ == Focus::ReceiverTree) {
        QTreeWidgetItem* item = recFolders_->currentItem();
        if (item == nullptr)
            return;
        const QString name = freeName([&](const QString& n) {
            for (int i = 0; i < item->childCount(); ++i)
                if (item->child(i)->text(0) == n)
                    return true;
            return false;
        });
        filling_ = true;
        auto* child = new QTreeWidgetItem(item, {name});
        child->setData(0, kFolderRole, kNoFolderId);
        child->setFlags(child->flags() | Qt::ItemIsEditable);
        item->setExpanded(true);
        filling_ = false;
    }
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
    fillPcTree();
    updateDiskBars();
    if (iconView_)
        buildIcons();
    else
        refreshPcList();
}

// ----- Delete, rename, open -----

void RecordingsWindow::deleteAction() {
    if (job_->running())
        return;
    switch (focus_) {
        case Focus::ReceiverList: {
            if (!online_)
                return;
            const auto deleted = manager_->DeleteReceiverRecordings(selectedReceiverEntries());
            if (deleted.empty())
                return;
            std::erase_if(entries_, [&](const RecordEntry& e) {
                return std::find(deleted.begin(), deleted.end(), e.fileName) != deleted.end();
            });
            filling_ = true;
            auto gone = [&](const QString& name) {
                return std::find(deleted.begin(), deleted.end(), S(name)) != deleted.end();
            };
            for (int i = recList_->topLevelItemCount() - 1; i >= 0; --i)
                if (gone(recList_->topLevelItem(i)->data(0, kNameRole).toString()))
                    delete recList_->takeTopLevelItem(i);
            for (int i = recIcons_->count() - 1; i >= 0; --i)
                if (gone(recIcons_->item(i)->data(kNameRole).toString()))
                    delete recIcons_->takeItem(i);
            filling_ = false;
            clearPicture(Side::Receiver);
            updateDiskBars();
            break;
        }
        case Focus::PcList:
            if (manager_->DeletePcFiles(selectedPcFiles())) {
                if (iconView_)
                    buildIcons();
                else
                    refreshPcList();
                updateDiskBars();
            }
            break;
        case Focus::ReceiverTree: {
            QTreeWidgetItem* item = recFolders_->currentItem();
            if (!online_ || item == nullptr)
                return;
            if (!prompter_->askYesNo(S(Fill(113, S(item->text(0))))))
                return;
            const int id = item->data(0, kFolderRole).toInt();
            if (id == kNoFolderId) {
                delete item;
                return;
            }
            manager_->DeleteFolder(id);
            fillReceiverTree();
            refreshReceiverList();
            updateDiskBars();
            break;
        }
        case Focus::PcTree: {
            QTreeWidgetItem* item = pcFolders_->currentItem();
            // The record folder itself stays: only folders below it are deleted here.
            if (item == nullptr || item->parent() == nullptr)
                return;
            if (!prompter_->askYesNo(S(Fill(113, S(item->text(0))))))
                return;
            const fs::path folder = S(item->data(0, kFolderRole).toString());
            std::error_code ec;
            fs::remove_all(folder, ec);
            if (ec)
                prompter_->showMessage(ec.message(), shell::PromptIcon::Error);
            const fs::path current = manager_->localFolder();
            if (current == folder || current.string().starts_with(folder.string() + "/"))
                manager_->setLocalFolder(folder.parent_path());
            fillPcTree();
            refreshPcList();
            updateDiskBars();
            break;
        }
    }
}

void RecordingsWindow::receiverItemRenamed(QTreeWidgetItem* item, int column) {
    if (filling_ || column != kRecName || item == nullptr)
        return;
    const std::string name = S(item->data(0, kNameRole).toString());
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const RecordEntry& e) { return e.fileName == name; });
    if (it == entries_.end())
        return;
    const std::string newTitle = S(item->text(kRecName));
    if (newTitle == ToDisplayText(it->title))
        return;
    if (manager_->RenameReceiverRecording(*it, newTitle))
        it->title = newTitle;
    filling_ = true;
    item->setText(kRecName, Q(ToDisplayText(it->title)));
    filling_ = false;
}

void RecordingsWindow::pcItemRenamed(QTreeWidgetItem* item, int column) {
    if (filling_ || column != kPcName || item == nullptr)
        return;
    const std::string oldName = S(item->data(0, kFileRole).toString());
    const std::string newName = S(item->text(kPcName));
    if (newName == oldName)
        return;
    std::string shown = oldName;
    if (auto renamed = manager_->RenamePcFile(oldName, newName))
        shown = *renamed;
    filling_ = true;
    item->setText(kPcName, Q(shown));
    item->setData(0, kFileRole, Q(shown));
    filling_ = false;
}

void RecordingsWindow::openSelected() {
    const auto files = selectedPcFiles();
    if (!files.empty() && opener_)
        opener_(Q((manager_->localFolder() / files.front()).string()));
}

// ----- Menus -----

std::unique_ptr<QMenu> RecordingsWindow::makeMenu(QWidget* control) {
    // The menu's commands act on the control it belongs to.
    focus_ = control == recList_ || control == recIcons_ ? Focus::ReceiverList
             : control == pcList_ || control == pcIcons_ ? Focus::PcList
             : control == recFolders_                    ? Focus::ReceiverTree
                                                         : Focus::PcTree;
    auto menu = std::make_unique<QMenu>(this);
    const bool idle = !job_->running();
    auto add = [&](const QString& text, bool enabled, auto slot) {
        QAction* a = menu->addAction(text, this, slot);
        a->setEnabled(idle && enabled);
    };
    auto rename = [this, control] {
        if (control == recList_ && recList_->currentItem())
            recList_->editItem(recList_->currentItem(), kRecName);
        else if (control == pcList_ && pcList_->currentItem())
            pcList_->editItem(pcList_->currentItem(), kPcName);
        else if (control == recFolders_ && recFolders_->currentItem())
            recFolders_->editItem(recFolders_->currentItem(), 0);
    };
    if (control == recList_ || control == recIcons_) {
        const bool any = !selectedReceiverEntries().empty();
        add(Q(Msg(11)), any, &RecordingsWindow::deleteAction);
        add(Q(Msg(93)), any && control == recList_, rename);
        add(Q(Msg(54)), any, &RecordingsWindow::downloadSelected);
        add(Q(Msg(55)), true, &RecordingsWindow::refreshLists);
    } else if (control == pcList_ || control == pcIcons_) {
        const bool any = !selectedPcFiles().empty();
        add(Q(Msg(1)), any, &RecordingsWindow::openSelected);
        add(Q(Msg(11)), any, &RecordingsWindow::deleteAction);
        add(Q(Msg(93)), any && control == pcList_, rename);
        add(Q(Msg(53)), any && online_, &RecordingsWindow::uploadSelected);
        add(Q(Msg(55)), true, &RecordingsWindow::refreshLists);
    } else if (control == recFolders_ || control == pcFolders_) {
        QTreeWidget* tree = static_cast<QTreeWidget*>(control);
        const bool any = tree->currentItem() != nullptr;
        add(QStringLiteral("New Folder"), any, &RecordingsWindow::newFolder);
        if (control == recFolders_)
            add(Q(Msg(93)), any, rename);
        add(Q(Msg(11)), any, &RecordingsWindow::deleteAction);
        add(Q(Msg(55)), true, &RecordingsWindow::refreshLists);
    }
    return menu;
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
            item ? entryNamed(S(item->data(0, kNameRole).toString())) : nullptr;
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
    if (job_->running() || destroying_)
        return;
    recIcons_->clear();
    pcIcons_->clear();
    struct Icons {
        std::vector<RecordEntry> entries;
    };
    auto built = std::make_shared<Icons>();
    auto addIcon = [this](QListWidget* list, QString label, QString name, QString file,
                          std::vector<std::uint8_t> ppm) {
        QMetaObject::invokeMethod(
            this,
            [this, list, label, name, file, ppm = std::move(ppm)] {
                QImage image;
                QPixmap pixmap =
                    !ppm.empty() &&
                            image.loadFromData(ppm.data(), static_cast<int>(ppm.size()), "PPM")
                        ? QPixmap::fromImage(image)
                        : BlankIcon();
                auto* item = new QListWidgetItem(QIcon(pixmap), label, list);
                item->setData(kNameRole, name);
                item->setData(kFileRole, file);
            },
            Qt::QueuedConnection);
    };
    auto bar = [this](RecordingsPane* pane, std::size_t done, std::size_t total) {
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        QMetaObject::invokeMethod(
            this, [pane, percent] { pane->showPercent(percent); }, Qt::QueuedConnection);
    };
    const bool online = online_;
    startWorker(
        [this, built, addIcon, bar, online](shell::Progress& progress) {
            if (online) {
                std::vector<RecordEntry> all;
                manager_->RefreshReceiverList(all);
                for (RecordEntry& e : all)
                    if (e.scrambled == 0)
                        built->entries.push_back(std::move(e));
                for (std::size_t i = 0; i < built->entries.size() && !progress.cancelled(); ++i) {
                    const RecordEntry& e = built->entries[i];
                    std::string text;
                    ThumbnailResult picture;
                    manager_->ReceiverPicture(e, text, picture);
                    addIcon(recIcons_, Q(ToDisplayText(e.title)), Q(e.fileName), QString(),
                            picture.picture ? std::move(picture.ppm) : std::vector<std::uint8_t>());
                    bar(recPane_, i + 1, built->entries.size());
                }
            }
            const auto files = manager_->RefreshPcList();
            for (std::size_t i = 0; i < files.size() && !progress.cancelled(); ++i) {
                std::string text;
                ThumbnailResult picture;
                manager_->PcPicture(files[i].fileName, text, picture);
                addIcon(pcIcons_, Q(files[i].fileName), Q(files[i].title), Q(files[i].fileName),
                        picture.picture ? std::move(picture.ppm) : std::vector<std::uint8_t>());
                bar(pcPane_, i + 1, files.size());
            }
        },
        [this, built] {
            entries_ = std::move(built->entries);
            updateDiskBars();
            emit iconsBuilt();
        });
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
    emit transferFinished(static_cast<int>(result.status));
}

void RecordingsWindow::downloadSelected() {
    if (!online_ || job_->running())
        return;
    const auto selection = selectedReceiverEntries();
    if (selection.empty())
        return;
    beginTransfer();
    auto outcome = std::make_shared<BatchOutcome>();
    startWorker(
        [this, selection, outcome](shell::Progress& progress) {
            *outcome = manager_->DownloadBatch(selection, progress);
        },
        [this, outcome] {
            job_->progressWindow()->start(Q(Msg(182)), this);
            if (iconView_) {
                finishTransfer(outcome->result);
                buildIcons();
                return;
            }
            refreshPcList();
            filling_ = true;
            pcPane_->selectRows(kFileRole, [&](const std::string& name) {
                return std::any_of(outcome->files.begin(), outcome->files.end(),
                                   [&](const fs::path& f) { return f.filename() == name; });
            });
            filling_ = false;
            finishTransfer(outcome->result);
            QTimer::singleShot(50, this, [this] {
                pcList_->setFocus();
                focus_ = Focus::PcList;
                schedulePcPicture();
            });
        });
}

void RecordingsWindow::uploadSelected() {
    if (!online_ || job_->running())
        return;
    std::vector<fs::path> files;
    for (const std::string& name : selectedPcFiles())
        files.push_back(manager_->localFolder() / name);
    if (files.empty())
        return;
    beginTransfer();
    auto outcome = std::make_shared<BatchOutcome>();
    startWorker(
        [this, files, outcome](shell::Progress& progress) {
            *outcome = manager_->UploadBatch(files, progress);
        },
        [this, outcome] {
            job_->progressWindow()->start(Q(Msg(182)), this);
            if (iconView_) {
                finishTransfer(outcome->result);
                buildIcons();
                return;
            }
            refreshReceiverList();
            filling_ = true;
            const auto& fresh = outcome->receiverNames;
            recPane_->selectRows(kNameRole, [&](const std::string& name) {
                return std::find(fresh.begin(), fresh.end(), name) != fresh.end();
            });
            filling_ = false;
            finishTransfer(outcome->result);
            QTimer::singleShot(50, this, [this] {
                recList_->setFocus();
                focus_ = Focus::ReceiverList;
                scheduleReceiverPicture();
            });
        });
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
