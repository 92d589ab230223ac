#pragma once
// The transfers of the recordings window: the selected receiver recordings to the record folder
// and the selected PC files to the receiver, run as one batch on the worker thread behind the
// progress window; afterwards the target side is read again with what the batch brought
// selected.

#include <functional>

#include "velkport/recordings/RecordManager.h"
#include "velkport/shell/base/Progress.h"

namespace velkport::recordings {

class RecordingsWindow;

class RecordingsTransfers {
  public:
    explicit RecordingsTransfers(RecordingsWindow& window) : w_(window) {}

    void download();  // receiver to PC
    void upload();    // PC to receiver

  private:
    // Runs the batch behind the progress window; when it has ended, showTarget reads the side
    // the files went to again and selects them, and the keyboard focus moves there.
    void runBatch(std::function<BatchOutcome(shell::Progress&)> work,
                  std::function<void(const BatchOutcome&)> showTarget,
                  std::function<void()> focusTarget);

    RecordingsWindow& w_;
};

}  // namespace velkport::recordings
