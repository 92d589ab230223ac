#include "velkport/recordings/ui/RecordingsTransfers.h"

#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

#include "velkport/recordings/ui/RecordingsLists.h"
#include "velkport/recordings/ui/RecordingsPane.h"
#include "velkport/recordings/ui/RecordingsRoles.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/BackgroundJob.h"
#include "velkport/shell/widgets/ProgressWindow.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::recordings {

using shell::Msg;
using shell::Q;

namespace fs = std::filesystem;

void RecordingsTransfers::download() {
    RecordingsWindow* w = &w_;
    if (!w->online_ || w->job_->running())
        return;
    const auto selection = RecordingsLists(*w).selectedReceiverEntries();
    if (selection.empty())
        return;
    w->beginTransfer();
    auto outcome = std::make_shared<BatchOutcome>();
    w->startWorker(
        [w, selection, outcome](shell::Progress& progress) {
            *outcome = w->manager_->DownloadBatch(selection, progress);
        },
        [w, outcome] {
            w->job_->progressWindow()->start(Q(Msg(182)), w);
            if (w->iconView_) {
                w->finishTransfer(outcome->result);
                w->buildIcons();
                return;
            }
            w->refreshPcList();
            w->filling_ = true;
            w->pcPane_->selectRows(kFileRole, [&](const std::string& name) {
                return std::any_of(outcome->files.begin(), outcome->files.end(),
                                   [&](const fs::path& f) { return f.filename() == name; });
            });
            w->filling_ = false;
            w->finishTransfer(outcome->result);
            QTimer::singleShot(50, w, [w] {
                w->pcList_->setFocus();
                w->focus_ = RecordingsWindow::Focus::PcList;
                w->schedulePcPicture();
            });
        });
}

void RecordingsTransfers::upload() {
    RecordingsWindow* w = &w_;
    if (!w->online_ || w->job_->running())
        return;
    std::vector<fs::path> files;
    for (const std::string& name : RecordingsLists(*w).selectedPcFiles())
        files.push_back(w->manager_->localFolder() / name);
    if (files.empty())
        return;
    w->beginTransfer();
    auto outcome = std::make_shared<BatchOutcome>();
    w->startWorker(
        [w, files, outcome](shell::Progress& progress) {
            *outcome = w->manager_->UploadBatch(files, progress);
        },
        [w, outcome] {
            w->job_->progressWindow()->start(Q(Msg(182)), w);
            if (w->iconView_) {
                w->finishTransfer(outcome->result);
                w->buildIcons();
                return;
            }
            w->refreshReceiverList();
            w->filling_ = true;
            const auto& fresh = outcome->receiverNames;
            w->recPane_->selectRows(kNameRole, [&](const std::string& name) {
                return std::find(fresh.begin(), fresh.end(), name) != fresh.end();
            });
            w->filling_ = false;
            w->finishTransfer(outcome->result);
            QTimer::singleShot(50, w, [w] {
                w->recList_->setFocus();
                w->focus_ = RecordingsWindow::Focus::ReceiverList;
                w->scheduleReceiverPicture();
            });
        });
}

}  // namespace velkport::recordings
