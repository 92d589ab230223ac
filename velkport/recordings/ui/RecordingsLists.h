#pragma once
// The two lists of the recordings window: their rows filled from the receiver's recordings and
// the record folder's files, and the selection read back in list order, from the list or, in the
// icon view, from the icons.

#include <string>
#include <vector>

#include "velkport/recordings/RecordManager.h"

namespace velkport::recordings {

class RecordingsWindow;

class RecordingsLists {
  public:
    explicit RecordingsLists(RecordingsWindow& window) : w_(window) {}

    // The receiver list from the window's entries (read again first when online).
    void fillReceiver();
    void fillPc();

    const RecordEntry* entryNamed(const std::string& fileName) const;
    std::vector<RecordEntry> selectedReceiverEntries() const;
    std::vector<std::string> selectedPcFiles() const;

  private:
    RecordingsWindow& w_;
};

}  // namespace velkport::recordings
