#include "velkport/recordings/ui/RecordingsLists.h"

#include <QListWidget>
#include <QTreeWidget>

#include <algorithm>

#include "common/Text.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/ui/RecordingsRoles.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::recordings {

using shell::Q;
using shell::S;

void RecordingsLists::fillReceiver() {
    if (w_.online_)
        w_.manager_->RefreshReceiverList(w_.entries_);
    QTreeWidget* list = w_.recList_;
    w_.filling_ = true;
    list->clear();
    for (const RecordEntry& e : w_.entries_) {
        auto* item = new QTreeWidgetItem(list);
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
    w_.filling_ = false;
}

void RecordingsLists::fillPc() {
    w_.pcFiles_ = w_.manager_->RefreshPcList();
    QTreeWidget* list = w_.pcList_;
    w_.filling_ = true;
    list->clear();
    const bool radio = w_.manager_->radio();
    for (const PcRecording& r : w_.pcFiles_) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(kPcName, Q(r.fileName));
        item->setText(kPcChannel, QStringLiteral("CH-"));
        item->setText(kPcSize, Q(common::FormatSizeKB(r.bytes)));
        item->setText(kPcType, radio ? QStringLiteral("RTS") : QStringLiteral("TS"));
        item->setText(kPcModified, Q(FormatModified(r.modified)));
        for (int c : {kPcChannel, kPcSize})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, kNameRole, Q(r.title));
        item->setData(0, kFileRole, Q(r.fileName));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    w_.filling_ = false;
}

const RecordEntry* RecordingsLists::entryNamed(const std::string& fileName) const {
    const auto& entries = w_.entries_;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const RecordEntry& e) { return e.fileName == fileName; });
    return it == entries.end() ? nullptr : &*it;
}

std::vector<RecordEntry> RecordingsLists::selectedReceiverEntries() const {
    std::vector<RecordEntry> out;
    // In list order, as the batch runs them.
    if (w_.iconView_) {
        const QListWidget* icons = w_.recIcons_;
        for (int i = 0; i < icons->count(); ++i)
            if (icons->item(i)->isSelected())
                if (const RecordEntry* e =
                        entryNamed(S(icons->item(i)->data(kNameRole).toString())))
                    out.push_back(*e);
        return out;
    }
    const QTreeWidget* list = w_.recList_;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected())
            if (const RecordEntry* e =
                    entryNamed(S(list->topLevelItem(i)->data(0, kNameRole).toString())))
                out.push_back(*e);
    return out;
}

std::vector<std::string> RecordingsLists::selectedPcFiles() const {
    std::vector<std::string> out;
    if (w_.iconView_) {
        const QListWidget* icons = w_.pcIcons_;
        for (int i = 0; i < icons->count(); ++i)
            if (icons->item(i)->isSelected())
                out.push_back(S(icons->item(i)->data(kFileRole).toString()));
        return out;
    }
    const QTreeWidget* list = w_.pcList_;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected())
            out.push_back(S(list->topLevelItem(i)->data(0, kFileRole).toString()));
    return out;
}

}  // namespace velkport::recordings
