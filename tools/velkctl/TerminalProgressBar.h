#pragma once
// The progress of a long transfer on the terminal: a bar with the item's name on standard error
// when that is a terminal, nothing otherwise. Ctrl-C is the progress window's Cancel.

#include <cstdint>
#include <string>

#include "velkport/shell/base/Progress.h"

namespace velkctl {

class TerminalProgressBar : public velkport::shell::Progress {
  public:
    TerminalProgressBar();
    ~TerminalProgressBar() override;
    TerminalProgressBar(const TerminalProgressBar&) = delete;
    TerminalProgressBar& operator=(const TerminalProgressBar&) = delete;

    void begin(const std::string& caption, std::uint64_t total) override;
    void advance(std::uint64_t position) override;
    void end() override;
    bool cancelled() const override;

  private:
    void draw(bool force);

    bool terminal_;
    std::string name_;
    std::uint64_t range_ = 1;
    std::uint64_t position_ = 0;
    int drawnPercent_ = -1;
    bool drawn_ = false;
};

}  // namespace velkctl
