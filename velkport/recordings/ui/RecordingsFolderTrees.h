#pragma once
// The folder trees of the recordings window: the PC tree of the record folder's subfolders and
// the receiver's folder table, their filling, new folders, label edits and deletion, and the
// "Select Path" chooser for the record folder.

#include <QString>

class QTreeWidgetItem;
class QWidget;

namespace velkport::recordings {

class RecordingsWindow;

class RecordingsFolderTrees {
  public:
    explicit RecordingsFolderTrees(RecordingsWindow& window) : w_(window) {}

    void fillPc();
    void fillReceiver();
    // A free "new folder(n)" below the current item of the tree that has the focus.
    void newFolder();
    // A label edit of the receiver tree is told to the receiver; refused, the tree is read again.
    void receiverFolderRenamed(QTreeWidgetItem* item);
    // After asking: the receiver folder, or the PC folder below the record folder, goes.
    void deleteReceiverFolder();
    void deletePcFolder();

    // The folder dialog with its "Default" button; empty when cancelled.
    static QString ChooseWithDialog(QWidget* parent, const QString& current);

  private:
    RecordingsWindow& w_;
};

}  // namespace velkport::recordings
