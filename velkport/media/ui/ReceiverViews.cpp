#include "velkport/media/ui/ReceiverViews.h"

#include <algorithm>
#include <array>

#include "velkport/media/MediaText.h"

namespace velkport::media {

void FillReceiverList(QTreeWidget* list, MediaType type, std::vector<link::FolderEntry>& entries) {
    list->clear();
    std::stable_partition(entries.begin(), entries.end(),
                          [](const link::FolderEntry& e) { return !e.isFile(); });
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto texts = RowTexts(type, entries[i]);
        auto* item = new QTreeWidgetItem(list);
        for (int c = 0; c < 4; ++c)
            item->setText(c, QString::fromStdString(texts[static_cast<std::size_t>(c)]));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, kRowRole, static_cast<int>(i));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    // Name 30 %, Size 15 %, Type 15 %, the third column 30 % of the list's width.
    const int width = std::max(400, list->viewport()->width());
    const std::array<int, 4> percent = {30, 15, 15, 30};
    for (int c = 0; c < 4; ++c)
        list->setColumnWidth(c, width * percent[static_cast<std::size_t>(c)] / 100);
}

void FillReceiverTree(QTreeWidget* tree, MediaType type, const std::vector<FolderTreeEntry>& all) {
    tree->clear();
    auto* top = new QTreeWidgetItem(tree, {QString::fromLatin1(Traits(type).typeText)});
    top->setData(0, Qt::UserRole, QStringList());
    for (const auto& e : all) {
        QTreeWidgetItem* at = top;
        QStringList path;
        for (const auto& level : e.levels()) {
            const QString name = QString::fromStdString(level);
            path << name;
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; i < at->childCount() && !next; ++i)
                if (at->child(i)->text(0) == name)
                    next = at->child(i);
            if (!next) {
                next = new QTreeWidgetItem(at, {name});
                next->setData(0, Qt::UserRole, path);
                next->setFlags(next->flags() | Qt::ItemIsEditable);
            }
            at = next;
        }
    }
    tree->expandItem(top);
}

}  // namespace velkport::media
