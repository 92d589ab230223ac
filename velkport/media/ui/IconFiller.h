#pragma once
// Fills an icon view from a worker thread: the job produces (name, JPEG thumbnail) pairs one at
// a time and each is decoded on the worker and added to the list on the user-interface thread,
// so the window stays responsive while the pictures arrive. A new fill first stops the running
// one; the job polls stopping() between pictures.

#include <QListWidget>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace velkport::media {

class IconFiller : public QObject {
    Q_OBJECT
  public:
    // Hands one picture to the view; an empty thumbnail shows the name without a picture.
    using Add = std::function<void(const std::string& name, const std::vector<std::uint8_t>& jpeg)>;
    using Job = std::function<void(const Add& add, const std::atomic<bool>& stopping)>;

    explicit IconFiller(QListWidget* view);
    ~IconFiller() override;

    // Empties the view and starts the job; false while a job still runs (stop() it first and
    // try again: the caller's timer retries until running() is false).
    bool start(Job job);
    void stop() { stopping_ = true; }
    bool running() const { return running_; }

  signals:
    void finished();

  private:
    QPointer<QListWidget> view_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
};

}  // namespace velkport::media
