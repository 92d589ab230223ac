#include "velkport/media/ui/PcPane.h"

#include <QDesktopServices>
#include <QFileSystemModel>
#include <QListWidget>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <fstream>

#include "velkport/media/JpegPreparer.h"
#include "velkport/media/MediaText.h"
#include "velkport/media/ui/IconFiller.h"

namespace velkport::media {

namespace fs = std::filesystem;

namespace {
constexpr int kRetryMs = 30;  // a refresh while the icon worker runs is tried again this often
}

PcPane::PcPane(MediaType type, QWidget* parent)
    : QWidget(parent),
      type_(type),
      folders_(new QFileSystemModel(this)),
      files_(new QFileSystemModel(this)),
      tree_(new QTreeView(this)),
      list_(new QTreeView(this)),
      icons_(new QListWidget(this)),
      stack_(new QStackedWidget(this)),
      filler_(new IconFiller(icons_)) {
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setRootPath(QDir::rootPath());
    tree_->setModel(folders_);
    for (int c = 1; c < folders_->columnCount(); ++c)
        tree_->hideColumn(c);
    files_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    files_->setNameFilters(type == MediaType::Mp3
                               ? QStringList{QStringLiteral("*.mp3")}
                               : QStringList{QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")});
    files_->setNameFilterDisables(false);
    files_->setReadOnly(false);
    list_->setModel(files_);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    icons_->setViewMode(QListView::IconMode);
    icons_->setIconSize(QSize(JpegPreparer::kThumbWidth, JpegPreparer::kThumbHeight));
    icons_->setResizeMode(QListView::Adjust);
    stack_->addWidget(list_);
    stack_->addWidget(icons_);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tree_);
    split->addWidget(stack_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);
    connect(tree_, &QTreeView::clicked, this,
            [this](const QModelIndex& i) { emit folderChosen(folders_->filePath(i)); });
    connect(list_, &QTreeView::doubleClicked, this, [this](const QModelIndex& i) {
        if (files_->isDir(i))
            emit folderChosen(files_->filePath(i));
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(files_->filePath(i)));
    });
}

bool PcPane::iconsRunning() const {
    return filler_->running();
}

void PcPane::stopIcons() {
    filler_->stop();
}

void PcPane::setFolder(const fs::path& folder) {
    folder_ = folder;
    tree_->setCurrentIndex(folders_->index(QString::fromStdString(folder.string())));
    refresh();
}

void PcPane::setMultiView(bool on) {
    multiView_ = on;
    stack_->setCurrentIndex(on ? 1 : 0);
    refresh();
}

void PcPane::refresh() {
    if (multiView_)
        startIcons();
    else
        list_->setRootIndex(files_->setRootPath(QString::fromStdString(folder_.string())));
}

void PcPane::newFolder() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder_, ec))
        names.push_back(e.path().filename().string());
    fs::create_directory(folder_ / ProposeNewFolderName(names), ec);
    refresh();
}

std::vector<fs::path> PcPane::selectedFiles() const {
    std::vector<fs::path> out;
    for (const auto& index : list_->selectionModel()->selectedRows())
        out.emplace_back(files_->filePath(index).toStdString());
    return out;
}

void PcPane::startIcons() {
    const bool started = filler_->start(
        [folder = folder_, t = type_](const IconFiller::Add& add, const std::atomic<bool>& stop) {
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(folder, ec)) {
                std::error_code fec;
                if (stop)
                    return;
                if (!e.is_regular_file(fec) || !HasAreaExtension(t, e.path().filename()) ||
                    e.file_size(fec) > JpegPreparer::kMaxPictureBytes)
                    continue;
                std::ifstream in(e.path(), std::ios::binary);
                std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                                std::istreambuf_iterator<char>());
                add(e.path().filename().string(), bytes);
            }
        });
    if (!started) {
        // The running fill is told to stop; the refresh is tried again until it has.
        filler_->stop();
        QTimer::singleShot(kRetryMs, this, [this] {
            if (multiView_)
                startIcons();
        });
    }
}

}  // namespace velkport::media
