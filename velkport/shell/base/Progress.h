#pragma once
// Where a long job reports how far it got: the progress window in the desktop program, a line on
// the terminal in velkctl, a recorder in tests. Called from the job's thread. The job polls
// cancelled() between blocks and stops (with JobResult::Stopped) once it turns true.

#include <cstdint>
#include <string>

namespace velkport::shell {

class Progress {
  public:
    virtual ~Progress() = default;
    // A new step: the caption of the name line and the total; the position starts at 0.
    virtual void begin(const std::string& caption, std::uint64_t total) = 0;
    // How much of the step's total is done.
    virtual void advance(std::uint64_t position) = 0;
    // The step is over; the window is hidden.
    virtual void end() = 0;
    // True once the user asked to stop (the Cancel button).
    virtual bool cancelled() const { return false; }
};

// Reports nowhere and is never cancelled.
class NullProgress : public Progress {
  public:
    void begin(const std::string&, std::uint64_t) override {}
    void advance(std::uint64_t) override {}
    void end() override {}
};

}  // namespace velkport::shell
