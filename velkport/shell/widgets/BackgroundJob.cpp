#include "velkport/shell/widgets/BackgroundJob.h"

#include <QMetaObject>
#include <QPushButton>
#include <QWidget>

#include "velkport/shell/widgets/ProgressWindow.h"
#include "velkport/shell/widgets/QtPrompter.h"
#include "velkport/shell/widgets/WindowProgress.h"

namespace velkport::shell {

BackgroundJob::BackgroundJob(QWidget* owner, UiThreadPrompter* prompter)
    : owner_(owner),
      prompter_(prompter),
      window_(new ProgressWindow(owner)),
      progress_(std::make_unique<WindowProgress>(window_, owner)) {}

BackgroundJob::~BackgroundJob() {
    if (worker_.joinable()) {
        if (cancellable_)
            progress_->cancel();
        if (prompter_ != nullptr)
            prompter_->detach();
        worker_.join();
    }
}

Progress& BackgroundJob::progress() {
    return *progress_;
}

bool BackgroundJob::start(Work work, Done done) {
    if (running_)
        return false;
    running_ = true;
    closeAfter_ = false;
    done_ = std::move(done);
    progress_->arm();
    worker_ = std::thread([this, work = std::move(work)] {
        JobResult result = work(*progress_);
        // The delivery is the worker's last act; a job that is going drops it.
        QMetaObject::invokeMethod(
            this, [this, result] { deliver(result); }, Qt::QueuedConnection);
    });
    return true;
}

void BackgroundJob::deliver(const JobResult& result) {
    worker_.join();  // it has posted this and ends now
    running_ = false;
    if (Done done = std::move(done_))
        done(result);
    emit finished();
    if (closeAfter_) {
        closeAfter_ = false;
        owner_->close();
    }
}

void BackgroundJob::setCancellable(bool on) {
    cancellable_ = on;
    window_->cancelButton()->setEnabled(on);
}

void BackgroundJob::cancel() {
    progress_->cancel();
}

bool BackgroundJob::closeWhenDone() {
    if (!running_)
        return false;
    cancel();
    closeAfter_ = true;
    return true;
}

}  // namespace velkport::shell
