#include "velkport/editor/ui/ServiceTableModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <QMimeData>
#include <QPainter>
#include <QPixmap>

namespace velkport::editor {

using channels::Column;

namespace {

struct ColumnInfo {
    const char* title;
    bool numeric;  // right-aligned, sorted by value
    int width;
};

constexpr ColumnInfo kColumns[ServiceTableModel::kColumnCount] = {
    {"ChannelNo", true, 70},   {"ServiceName", false, 150}, {"ServiceType", false, 80},
    {"SymbolRate", true, 100}, {"QAM", true, 40},           {"Frequency", true, 80},
    {"Scrambled", false, 80},  {"Sid", true, 40},           {"Oid", true, 40},
    {"Tsid", true, 40},        {"ChildrenLock", false, 80}, {"Skip", false, 80},
    {"", false, 100},
};

// Row pictures: a screen for TV, a note for radio; the numbered mark adds a check.
QIcon RowIcon(bool radio, bool marked) {
    QPixmap pix(16, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    if (radio) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor("#7a3fb0"));
        p.drawEllipse(QRectF(2, 10, 5, 4));
        p.drawRect(QRectF(6, 2, 1.5, 10));
        p.drawRect(QRectF(6, 2, 6, 1.5));
    } else {
        p.setPen(QPen(QColor("#24476b"), 1.2));
        p.setBrush(QColor("#5fa8e8"));
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 1.5, 1.5);
        p.drawLine(QPointF(5, 14), QPointF(11, 14));
    }
    if (marked) {
        p.setPen(QPen(QColor("#2f9e44"), 2.2));
        p.drawLine(QPointF(8, 10), QPointF(11, 14));
        p.drawLine(QPointF(11, 14), QPointF(15, 6));
    }
    return QIcon(pix);
}

}  // namespace

ServiceTableModel::ServiceTableModel(channels::ChannelListEditor& editor, QObject* parent)
    : QAbstractTableModel(parent),
      editor_(editor),
      tvIcon_(RowIcon(false, false)),
      radioIcon_(RowIcon(true, false)),
      tvMark_(RowIcon(false, true)),
      radioMark_(RowIcon(true, true)) {}

int ServiceTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return frozen_ ? static_cast<int>(frozenRows_.size()) : editor_.rowCount();
}

int ServiceTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ServiceTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (frozen_) {
        const FrozenRow& r = frozenRows_[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole)
            return index.column() < kColumnCount - 1
                       ? r.cells[static_cast<std::size_t>(index.column())]
                       : QVariant();
        return rowData(index.row(), index.column(), role, r.radio, r.marked);
    }
    const channels::ListRow& r = editor_.row(index.row());
    return rowData(index.row(), index.column(), role, r.service->serviceType == channels::kRadio,
                   r.marked);
}

QVariant ServiceTableModel::rowData(int row, int column, int role, bool radio, bool marked) const {
    switch (role) {
        case Qt::DisplayRole:
            if (column >= kColumnCount - 1)
                return {};
            return QString::fromStdString(editor_.cellText(row, static_cast<Column>(column)));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(
                (kColumns[column].numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        case Qt::DecorationRole:
            if (column != 0)
                return {};
            if (marked)
                return radio ? radioMark_ : tvMark_;
            return radio ? radioIcon_ : tvIcon_;
        default:
            return {};
    }
}

void ServiceTableModel::freeze(bool keepRows) {
    beginResetModel();
    frozenRows_.clear();
    if (keepRows) {
        frozenRows_.resize(static_cast<std::size_t>(editor_.rowCount()));
        for (int i = 0; i < editor_.rowCount(); ++i) {
            FrozenRow& f = frozenRows_[static_cast<std::size_t>(i)];
            const channels::ListRow& r = editor_.row(i);
            f.radio = r.service->serviceType == channels::kRadio;
            f.marked = r.marked;
            for (int c = 0; c < kColumnCount - 1; ++c)
                f.cells[static_cast<std::size_t>(c)] =
                    QString::fromStdString(editor_.cellText(i, static_cast<Column>(c)));
        }
    }
    frozen_ = true;
    endResetModel();
}

void ServiceTableModel::thaw() {
    beginResetModel();
    frozen_ = false;
    frozenRows_.clear();
    frozenRows_.shrink_to_fit();
    endResetModel();
}

QVariant ServiceTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kColumns[section].title);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::Alignment(kColumns[section].numeric ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

Qt::ItemFlags ServiceTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    // Rows are never edited in place.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList ServiceTableModel::mimeTypes() const {
    return {QString::fromLatin1(kMimeType)};
}

QMimeData* ServiceTableModel::mimeData(const QModelIndexList&) const {
    // The dragged rows are the editor's selection; the data only names where they come from.
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kMimeType), QByteArray("services"));
    return mime;
}

void ServiceTableModel::reset() {
    beginResetModel();
    endResetModel();
}

void ServiceTableModel::refreshData() {
    if (editor_.rowCount() > 0)
        emit dataChanged(index(0, 0), index(editor_.rowCount() - 1, kColumnCount - 1));
}

int ServiceTableModel::columnWidth(int column) {
    return kColumns[column].width;
}

bool ServiceTableModel::numericColumn(int column) {
    return kColumns[column].numeric;
}

void ServiceTableModel::setUpView(QTableView* view) {
    view->setModel(this);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSectionsClickable(true);
    view->horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < ServiceTableModel::kColumnCount; ++c)
        view->setColumnWidth(c, ServiceTableModel::columnWidth(c));
    view->setDragEnabled(true);
    view->setAcceptDrops(true);
    view->setDragDropMode(QAbstractItemView::DragDrop);
    view->setDefaultDropAction(Qt::MoveAction);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
}

void ServiceTableModel::showSelection(QTableView* view) const {
    QItemSelection selection;
    int runStart = -1;
    const int n = editor_.rowCount();
    for (int i = 0; i <= n; ++i) {
        const bool selected = i < n && editor_.row(i).selected;
        if (selected && runStart < 0)
            runStart = i;
        if (!selected && runStart >= 0) {
            selection.select(index(runStart, 0), index(i - 1, ServiceTableModel::kColumnCount - 1));
            runStart = -1;
        }
    }
    QItemSelectionModel* sm = view->selectionModel();
    sm->select(selection, QItemSelectionModel::ClearAndSelect);
    const int focused = editor_.focusedRow();
    if (focused >= 0) {
        sm->setCurrentIndex(index(focused, 0), QItemSelectionModel::NoUpdate);
        view->scrollTo(index(focused, 0));
    }
}

}  // namespace velkport::editor
