#include "velkport/recordings/ui/RecordingsTransfers.h"

#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
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
    runBatch(
        [w, selection](shell::Progress& progress) {
            return w->manager_->DownloadBatch(selection, progress);
        },
        [w](const BatchOutcome& outcome) {
            w->refreshPcList();
            w->filling_ = true;
            w->pcPane_->selectRows(kFileRole, [&](const std::string& name) {
                return std::any_of(outcome.files.begin(), outcome.files.end(),
                                   [&](const fs::path& f) { return f.filename() == name; });
            });
            w->filling_ = false;
        },
        [w] {
            w->pcList_->setFocus();
            w->focus_ = RecordingsWindow::Focus::PcList;
            w->schedulePcPicture();
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
    runBatch(
        [w, files](shell::Progress& progress) { return w->manager_->UploadBatch(files, progress); },
        [w](const BatchOutcome& outcome) {
            w->refreshReceiverList();
            w->filling_ = true;
            const auto& fresh = outcome.receiverNames;
            w->recPane_->selectRows(kNameRole, [&](const std::string& name) {
                return std::find(fresh.begin(), fresh.end(), name) != fresh.end();
            });
            w->filling_ = false;
        },
        [w] {
            w->recList_->setFocus();
            w->focus_ = RecordingsWindow::Focus::ReceiverList;
            w->scheduleReceiverPicture();
        });
}

void RecordingsTransfers::runBatch(std::function<BatchOutcome(shell::Progress&)> work,
                                   std::function<void(const BatchOutcome&)> showTarget,
                                   std::function<void()> focusTarget) {
    RecordingsWindow* w = &w_;
    w->beginTransfer();
    auto outcome = std::make_shared<BatchOutcome>();
    w->startWorker([work, outcome](shell::Progress& progress) { *outcome = work(progress); },
                   [w, outcome, showTarget, focusTarget] {
                       w->job_->progressWindow()->start(Q(Msg(182)), w);
                       if (w->iconView_) {
                           w->finishTransfer(outcome->result);
                           w->buildIcons();
                           return;
                       }
                       showTarget(*outcome);
                       w->finishTransfer(outcome->result);
                       QTimer::singleShot(50, w, focusTarget);
                   });
}

}  // namespace velkport::recordings
