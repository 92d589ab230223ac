#pragma once
// The player's video area: shows the last decoded picture, scaled to fit with its aspect kept,
// on black. Pictures arrive on GStreamer's streaming thread and are drawn on the window's.

#include <QImage>
#include <QWidget>
#include <mutex>

#include "velkport/recordings/playback/MediaGraph.h"

namespace velkport::recordings::playback {

class VideoView : public QWidget {
    Q_OBJECT
  public:
    explicit VideoView(QWidget* parent = nullptr);

    // Copies the picture and asks for a repaint; safe from any thread.
    void takeFrame(const VideoFrame& frame);
    void clear();
    QImage frame() const;

  signals:
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    mutable std::mutex mutex_;
    QImage frame_;
};

}  // namespace velkport::recordings::playback
