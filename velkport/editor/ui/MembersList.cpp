#include "velkport/editor/ui/MembersList.h"

#include <QHeaderView>
#include <QMimeData>

namespace velkport::editor {

MembersList::MembersList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("ChannelNo"), QStringLiteral("Service Name")});
    headerItem()->setTextAlignment(0, Qt::AlignRight);
    setColumnWidth(0, 70);
    setColumnWidth(1, 150);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QStringList MembersList::mimeTypes() const {
    return {QString::fromLatin1(kMimeType)};
}

QMimeData* MembersList::mimeData(const QList<QTreeWidgetItem*>&) const {
    // The dragged members are the list's selection; the data only says where they come from.
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kMimeType), QByteArray("members"));
    return mime;
}

}  // namespace velkport::editor
