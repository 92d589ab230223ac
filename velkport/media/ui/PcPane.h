#pragma once
// The PC side of a media manager window: the file system's folder tree above the current
// folder's files (only the area's pictures or music, and folders), or, in Multi-View, the
// pictures as icons filled on a worker thread.

#include <QWidget>

#include <filesystem>
#include <vector>

#include "velkport/media/MediaType.h"

class QFileSystemModel;
class QListWidget;
class QStackedWidget;
class QTreeView;

namespace velkport::media {

class IconFiller;

class PcPane : public QWidget {
    Q_OBJECT
  public:
    PcPane(MediaType type, QWidget* parent);

    QTreeView* tree() const { return tree_; }
    QTreeView* list() const { return list_; }
    QListWidget* icons() const { return icons_; }
    const std::filesystem::path& folder() const { return folder_; }
    bool iconsRunning() const;
    void stopIcons();

    void setFolder(const std::filesystem::path& folder);
    void setMultiView(bool on);
    void refresh();
    void newFolder();
    std::vector<std::filesystem::path> selectedFiles() const;

  signals:
    // A folder the user chose in the tree or the list.
    void folderChosen(const QString& folder);

  private:
    void startIcons();

    MediaType type_;
    std::filesystem::path folder_;
    bool multiView_ = false;
    QFileSystemModel* folders_;
    QFileSystemModel* files_;
    QTreeView* tree_;
    QTreeView* list_;
    QListWidget* icons_;
    QStackedWidget* stack_;
    IconFiller* filler_;
};

}  // namespace velkport::media
