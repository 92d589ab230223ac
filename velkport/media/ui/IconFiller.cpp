#include "velkport/media/ui/IconFiller.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "velkport/media/JpegPreparer.h"

namespace velkport::media {

namespace {
constexpr int kWidth = 160;
constexpr int kHeight = 120;
}  // namespace

IconFiller::IconFiller(QListWidget* view) : QObject(view), view_(view) {}

IconFiller::~IconFiller() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
}

bool IconFiller::start(Job job) {
    if (running_)
        return false;
    if (thread_.joinable())
        thread_.join();
    stopping_ = false;
    running_ = true;
    view_->clear();
    thread_ = std::thread([this, job = std::move(job)] {
        const Add add = [this](const std::string& name, const std::vector<std::uint8_t>& jpeg) {
            QImage image;
            if (const auto rgb = JpegPreparer::DecodeRgb(jpeg, kWidth, kHeight))
                image =
                    QImage(rgb->data(), kWidth, kHeight, kWidth * 3, QImage::Format_RGB888).copy();
            QMetaObject::invokeMethod(
                this,
                [this, text = QString::fromStdString(name), image] {
                    if (view_ && !stopping_)
                        new QListWidgetItem(QIcon(QPixmap::fromImage(image)), text, view_);
                },
                Qt::QueuedConnection);
        };
        job(add, stopping_);
        QMetaObject::invokeMethod(
            this, [this] { emit finished(); }, Qt::QueuedConnection);
        running_ = false;
    });
    return true;
}

}  // namespace velkport::media
