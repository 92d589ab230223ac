#pragma once
// velkctl's progress for a transfer: it shows nothing, and while it lives Ctrl-C is the
// progress window's Cancel button (the transfer stops and cleans up) instead of ending the
// program on the spot. A command whose transfer was cancelled so exits kExitInterrupted.

#include "velkport/shell/base/Progress.h"

namespace velkctl {

constexpr int kExitInterrupted = 130;

class InterruptProgress : public velkport::shell::NullProgress {
  public:
    InterruptProgress();
    ~InterruptProgress() override;
    InterruptProgress(const InterruptProgress&) = delete;
    InterruptProgress& operator=(const InterruptProgress&) = delete;

    bool cancelled() const override { return pressed(); }
    // Whether Ctrl-C was pressed during this run of the program.
    static bool pressed();
};

}  // namespace velkctl
