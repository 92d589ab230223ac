#include "velkport/recordings/playback/ui/VideoView.h"

#include <QMetaObject>
#include <QPainter>

namespace velkport::recordings::playback {

VideoView::VideoView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 180);
}

void VideoView::takeFrame(const VideoFrame& f) {
    QImage copy = QImage(f.data, f.width, f.height, f.stride, QImage::Format_RGB32).copy();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frame_ = std::move(copy);
    }
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void VideoView::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    frame_ = QImage();
    update();
}

QImage VideoView::frame() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frame_;
}

void VideoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    QImage picture = frame();
    if (picture.isNull())
        return;
    QSize size = picture.size().scaled(this->size(), Qt::KeepAspectRatio);
    QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
}

void VideoView::mouseDoubleClickEvent(QMouseEvent*) {
    emit doubleClicked();
}

}  // namespace velkport::recordings::playback
