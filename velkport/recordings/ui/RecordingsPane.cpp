#include "velkport/recordings/ui/RecordingsPane.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace velkport::recordings {

RecordingsPane::RecordingsPane(const std::vector<Column>& columns, QSize iconSize, QObject* filter,
                               QWidget* parent)
    : QWidget(parent),
      list_(new QTreeWidget(this)),
      icons_(new QListWidget(this)),
      tree_(new QTreeWidget(this)),
      stack_(new QStackedWidget(this)),
      disk_(new QProgressBar(this)),
      picture_(new QLabel(this)),
      text_(new QLabel(this)),
      pictureTimer_(new QTimer(this)) {
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setColumnCount(static_cast<int>(columns.size()));
    QStringList headings;
    for (const Column& c : columns) {
        headings << c.heading;
        fractions_.push_back(c.fraction);
    }
    list_->setHeaderLabels(headings);
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].rightAligned)
            list_->headerItem()->setTextAlignment(static_cast<int>(i),
                                                  Qt::AlignRight | Qt::AlignVCenter);
    list_->header()->setStretchLastSection(false);

    icons_->setViewMode(QListView::IconMode);
    icons_->setIconSize(iconSize);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setMovement(QListView::Static);
    icons_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    icons_->setContextMenuPolicy(Qt::CustomContextMenu);

    tree_->setHeaderHidden(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed);

    for (QObject* o : std::initializer_list<QObject*>{list_, icons_, tree_})
        o->installEventFilter(filter);
    list_->installEventFilter(this);

    stack_->addWidget(list_);
    stack_->addWidget(icons_);
    disk_->setTextVisible(true);
    picture_->setFixedSize(iconSize);
    picture_->setFrameShape(QFrame::Box);
    picture_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pictureTimer_->setSingleShot(true);

    auto* pictureRow = new QHBoxLayout;
    pictureRow->addWidget(picture_, 0, Qt::AlignTop);
    pictureRow->addWidget(text_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tree_);
    split->addWidget(stack_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 4);
    layout->addWidget(split, 1);
    layout->addWidget(disk_);
    layout->addLayout(pictureRow);
}

bool RecordingsPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::Resize)
        sizeColumns();
    return QWidget::eventFilter(watched, event);
}

void RecordingsPane::sizeColumns() {
    const int width = list_->width() - 2 * list_->frameWidth();
    for (std::size_t i = 0; i < fractions_.size(); ++i)
        list_->header()->resizeSection(static_cast<int>(i),
                                       static_cast<int>(width * fractions_[i]));
}

void RecordingsPane::setIconView(bool on) {
    stack_->setCurrentWidget(on ? static_cast<QWidget*>(icons_) : list_);
}

void RecordingsPane::showDisk(std::optional<std::pair<std::uint64_t, std::uint64_t>> usedTotal) {
    if (!usedTotal) {
        disk_->setRange(0, 1);
        disk_->setValue(0);
        disk_->setFormat(QString());
        return;
    }
    const auto [used, total] = *usedTotal;
    disk_->setRange(0, static_cast<int>(std::max<std::uint64_t>(1, total)));
    disk_->setValue(static_cast<int>(std::min(used, total)));
    disk_->setFormat(QStringLiteral("%1 MB / %2 MB").arg(used).arg(total));
}

void RecordingsPane::showPercent(int percent) {
    disk_->setRange(0, 100);
    disk_->setFormat(QStringLiteral("%p%"));
    disk_->setValue(percent);
}

void RecordingsPane::showPicture(const QString& text, const QPixmap* picture, bool clearOld) {
    text_->setText(text);
    if (picture != nullptr)
        picture_->setPixmap(*picture);
    else if (clearOld)
        picture_->clear();
}

void RecordingsPane::clearPicture() {
    picture_->clear();
    text_->clear();
}

void RecordingsPane::selectRows(int role, const std::function<bool(const std::string&)>& isWanted) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const bool wanted = isWanted(item->data(0, role).toString().toStdString());
        item->setSelected(wanted);
        if (wanted)
            list_->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
}

}  // namespace velkport::recordings
