#pragma once
// The delete and rename operations of the recordings window: Delete acts on the list or tree
// that has the focus; a label edit of a list row renames the recording (or is refused), and the
// row shows the stored name afterwards.

class QTreeWidgetItem;

namespace velkport::recordings {

class RecordingsWindow;

class RecordingsEdits {
  public:
    explicit RecordingsEdits(RecordingsWindow& window) : w_(window) {}

    void deleteFocused();
    void receiverItemRenamed(QTreeWidgetItem* item, int column);
    void pcItemRenamed(QTreeWidgetItem* item, int column);

  private:
    void deleteReceiverRecordings();
    void deletePcFiles();

    RecordingsWindow& w_;
};

}  // namespace velkport::recordings
