#pragma once
// The pop-up menus of a media manager window: the receiver list (no item, a file, a folder), the
// receiver tree, and the PC list (no item, a file). Each item calls the window's own action.

#include <QObject>

class QMenu;

namespace velkport::media {

class MediaWindow;

class MediaMenus : public QObject {
    Q_OBJECT
  public:
    explicit MediaMenus(MediaWindow* window);

    QMenu* receiverEmpty() const { return recEmpty_; }
    QMenu* receiverFile() const { return recFile_; }
    QMenu* receiverFolder() const { return recFolder_; }
    QMenu* receiverTree() const { return recTree_; }
    QMenu* pcEmpty() const { return pcEmpty_; }
    QMenu* pcFile() const { return pcFile_; }

  private:
    MediaWindow* w_;
    QMenu* recEmpty_ = nullptr;
    QMenu* recFile_ = nullptr;
    QMenu* recFolder_ = nullptr;
    QMenu* recTree_ = nullptr;
    QMenu* pcEmpty_ = nullptr;
    QMenu* pcFile_ = nullptr;
};

}  // namespace velkport::media
