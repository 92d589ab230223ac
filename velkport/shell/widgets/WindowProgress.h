#pragma once
// A job's Progress shown in the shared progress window: the calls come from the job's thread
// and are posted to the user-interface thread; the bar moves in whole percents only, so a long
// transfer posts at most about a hundred updates per step. Cancel in the window (or cancel())
// makes cancelled() true until the next arm().

#include <atomic>
#include <cstdint>

#include "velkport/shell/base/Progress.h"
#include "velkport/shell/widgets/ProgressWindow.h"

namespace velkport::shell {

class WindowProgress : public Progress {
  public:
    // window shows the steps centred over owner; both outlive the jobs that report here.
    WindowProgress(ProgressWindow* window, QWidget* owner);

    // Ready for a new job: not cancelled.
    void arm();
    void cancel() { cancelled_ = true; }

    void begin(const std::string& caption, std::uint64_t total) override;
    void advance(std::uint64_t position) override;
    void end() override;
    bool cancelled() const override { return cancelled_; }

  private:
    template <typename F>
    void post(F&& f);

    ProgressWindow* window_;  // owned by the window that owns this
    QWidget* owner_;
    std::atomic<std::uint64_t> total_{0};
    std::atomic<int> percent_{-1};
    std::atomic<bool> cancelled_{false};
};

}  // namespace velkport::shell
