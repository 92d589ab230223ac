#pragma once
// A window's work in the background: the work runs on a worker thread and reports to the
// shared progress window through Progress; its JobResult is delivered on the user-interface
// thread. One job runs at a time. When the job goes (with its window) a running job is
// cancelled (unless it must run to its end) and joined; the window's UiThreadPrompter is detached
// first, so that a question of the worker cannot wait for a window that is going away. No event
// loop is spun by hand.

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "velkport/shell/base/JobResult.h"
#include "velkport/shell/base/Progress.h"

class QWidget;

namespace velkport::shell {

class ProgressWindow;
class UiThreadPrompter;
class WindowProgress;

class BackgroundJob : public QObject {
    Q_OBJECT
  public:
    using Work = std::function<JobResult(Progress&)>;
    using Done = std::function<void(const JobResult&)>;

    // owner: the window the jobs belong to; the progress window is its child, centred over it.
    // The window owns the job and lets it go first when it goes itself.
    explicit BackgroundJob(QWidget* owner, UiThreadPrompter* prompter = nullptr);
    ~BackgroundJob() override;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Runs work on the worker thread; done gets its result on this thread. False (and nothing
    // runs) while a job runs.
    bool start(Work work, Done done = {});
    bool running() const { return running_; }

    // Asks the running job to stop: its Progress reports cancelled from now until the next
    // start. The progress window's Cancel button does the same.
    void cancel();
    // A job that must run to its end (a channel list upload): the Cancel button is off and the
    // job is not cancelled when it goes, only waited for.
    void setCancellable(bool on);
    // Cancels the running job and closes the owner once its result has been delivered; with
    // no job running it returns false and the caller closes at once.
    bool closeWhenDone();

    ProgressWindow* progressWindow() const { return window_; }
    Progress& progress();

  signals:
    // After done has run.
    void finished();

  private:
    void deliver(const JobResult& result);

    QWidget* owner_;
    UiThreadPrompter* prompter_;
    ProgressWindow* window_;
    std::unique_ptr<WindowProgress> progress_;
    std::thread worker_;
    Done done_;
    bool running_ = false;
    bool closeAfter_ = false;
    bool cancellable_ = true;
};

}  // namespace velkport::shell
