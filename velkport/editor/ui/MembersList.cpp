#include "velkport/editor/ui/MembersList.h"

#include <QHeaderView>
#include <QMimeData>

#include "velkport/channels/ChannelDatabase.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::editor {

void MembersList::showGroup(const channels::FavoriteGroup* group) {
    clear();
    if (group == nullptr)
        return;
    QList<QTreeWidgetItem*> items;
    for (const channels::Service* s : group->members) {
        if (s == nullptr)
            continue;
        auto* item = new QTreeWidgetItem({QString::number(s->channelNumber), shell::Q(s->name)});
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    addTopLevelItems(items);
}

std::vector<int> MembersList::selectedRows() const {
    std::vector<int> out;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected())
            out.push_back(i);
    return out;
}

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
