#include "velkport/recordings/ui/RecordingsEdits.h"

#include <QListWidget>
#include <QTreeWidget>

#include <algorithm>

#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/ui/RecordingsFolderTrees.h"
#include "velkport/recordings/ui/RecordingsLists.h"
#include "velkport/recordings/ui/RecordingsRoles.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/widgets/BackgroundJob.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::recordings {

using shell::Q;
using shell::S;

void RecordingsEdits::deleteFocused() {
    if (w_.job_->running())
        return;
    switch (w_.focus_) {
        case RecordingsWindow::Focus::ReceiverList:
            deleteReceiverRecordings();
            break;
        case RecordingsWindow::Focus::PcList:
            deletePcFiles();
            break;
        case RecordingsWindow::Focus::ReceiverTree:
            RecordingsFolderTrees(w_).deleteReceiverFolder();
            break;
        case RecordingsWindow::Focus::PcTree:
            RecordingsFolderTrees(w_).deletePcFolder();
            break;
    }
}

void RecordingsEdits::deleteReceiverRecordings() {
    if (!w_.online_)
        return;
    const auto deleted =
        w_.manager_->DeleteReceiverRecordings(RecordingsLists(w_).selectedReceiverEntries());
    if (deleted.empty())
        return;
    std::erase_if(w_.entries_, [&](const RecordEntry& e) {
        return std::find(deleted.begin(), deleted.end(), e.fileName) != deleted.end();
    });
    w_.filling_ = true;
    auto gone = [&](const QString& name) {
        return std::find(deleted.begin(), deleted.end(), S(name)) != deleted.end();
    };
    QTreeWidget* list = w_.recList_;
    for (int i = list->topLevelItemCount() - 1; i >= 0; --i)
        if (gone(list->topLevelItem(i)->data(0, kNameRole).toString()))
            delete list->takeTopLevelItem(i);
    QListWidget* icons = w_.recIcons_;
    for (int i = icons->count() - 1; i >= 0; --i)
        if (gone(icons->item(i)->data(kNameRole).toString()))
            delete icons->takeItem(i);
    w_.filling_ = false;
    w_.clearPicture(RecordingsWindow::Side::Receiver);
    w_.updateDiskBars();
}

void RecordingsEdits::deletePcFiles() {
    if (!w_.manager_->DeletePcFiles(RecordingsLists(w_).selectedPcFiles()))
        return;
    if (w_.iconView_)
        w_.buildIcons();
    else
        w_.refreshPcList();
    w_.updateDiskBars();
}

void RecordingsEdits::receiverItemRenamed(QTreeWidgetItem* item, int column) {
    if (w_.filling_ || column != kRecName || item == nullptr)
        return;
    const std::string name = S(item->data(0, kNameRole).toString());
    auto& entries = w_.entries_;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const RecordEntry& e) { return e.fileName == name; });
    if (it == entries.end())
        return;
    const std::string newTitle = S(item->text(kRecName));
    if (newTitle == ToDisplayText(it->title))
        return;
    if (w_.manager_->RenameReceiverRecording(*it, newTitle))
        it->title = newTitle;
    w_.filling_ = true;
    item->setText(kRecName, Q(ToDisplayText(it->title)));
    w_.filling_ = false;
}

void RecordingsEdits::pcItemRenamed(QTreeWidgetItem* item, int column) {
    if (w_.filling_ || column != kPcName || item == nullptr)
        return;
    const std::string oldName = S(item->data(0, kFileRole).toString());
    const std::string newName = S(item->text(kPcName));
    if (newName == oldName)
        return;
    std::string shown = oldName;
    if (auto renamed = w_.manager_->RenamePcFile(oldName, newName))
        shown = *renamed;
    w_.filling_ = true;
    item->setText(kPcName, Q(shown));
    item->setData(0, kFileRole, Q(shown));
    w_.filling_ = false;
}

}  // namespace velkport::recordings
