#pragma once
// Prompters for the desktop program. MessageBoxPrompter shows modal message boxes;
// UiThreadPrompter hands every call to the user-interface thread and waits for the answer, so
// that worker threads (channel list transfers, the firmware upload) can report through the
// same prompter as the windows. A worker waiting for an answer is released by detach(), so a
// window can join its worker without keeping the event loop moving.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "velkport/shell/base/Prompter.h"

namespace velkport::shell {

class MessageBoxPrompter : public Prompter {
  public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void showMessage(const std::string& text, PromptIcon icon) override;
    bool askYesNo(const std::string& text) override;
    PromptAnswer askYesNoCancel(const std::string& text) override;

  private:
    QPointer<QWidget> parent_;
};

class UiThreadPrompter : public Prompter {
  public:
    // context lives on the user-interface thread (for example the window that owns the worker).
    UiThreadPrompter(Prompter& inner, QObject* context) : inner_(inner), context_(context) {}
    // From now on nothing is shown: messages are dropped and questions answered No. A window
    // calls it before it waits for its worker, so that a worker's question cannot wait for a
    // window that is going away.
    void detach();
    void showMessage(const std::string& text, PromptIcon icon) override;
    bool askYesNo(const std::string& text) override;
    PromptAnswer askYesNoCancel(const std::string& text) override;

  private:
    template <typename F>
    void onUiThread(F&& f);

    Prompter& inner_;
    QObject* context_;
    std::atomic<bool> detached_{false};
    std::mutex lock_;
    std::condition_variable answered_;
};

}  // namespace velkport::shell
