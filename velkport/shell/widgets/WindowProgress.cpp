#include "velkport/shell/widgets/WindowProgress.h"

#include <QMetaObject>
#include <QString>

#include <algorithm>

namespace velkport::shell {

WindowProgress::WindowProgress(ProgressWindow* window, QWidget* owner)
    : window_(window), owner_(owner) {
    QObject::connect(window, &ProgressWindow::cancelRequested, window, [this] { cancel(); });
}

template <typename F>
void WindowProgress::post(F&& f) {
    // The window is the call's context: a call still queued when it goes is dropped.
    QMetaObject::invokeMethod(window_, std::forward<F>(f), Qt::QueuedConnection);
}

void WindowProgress::arm() {
    cancelled_ = false;
    percent_ = -1;
}

void WindowProgress::begin(const std::string& caption, std::uint64_t total) {
    total_ = total;
    percent_ = 0;
    post([w = window_, o = owner_, text = QString::fromStdString(caption)] { w->start(text, o); });
}

void WindowProgress::advance(std::uint64_t position) {
    const std::uint64_t total = total_;
    const int percent =
        total == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(100, position * 100 / total));
    if (percent == percent_.exchange(percent))
        return;
    post([w = window_, percent] { w->setPosition(percent); });
}

void WindowProgress::end() {
    post([w = window_] { w->finish(); });
}

}  // namespace velkport::shell
