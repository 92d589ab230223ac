#include "velkport/shell/widgets/QtPrompter.h"

#include <QMessageBox>
#include <QThread>

#include <memory>

#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::shell {

namespace {

QMessageBox::Icon ToIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

int Ask(QWidget* parent, const std::string& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(Msg(0)),
                    QString::fromStdString(text), buttons, parent);
    return box.exec();
}

}  // namespace

void MessageBoxPrompter::showMessage(const std::string& text, PromptIcon icon) {
    QMessageBox box(ToIcon(icon), QString::fromStdString(Msg(0)), QString::fromStdString(text),
                    QMessageBox::Ok, parent_.data());
    box.exec();
}

bool MessageBoxPrompter::askYesNo(const std::string& text) {
    return Ask(parent_.data(), text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

PromptAnswer MessageBoxPrompter::askYesNoCancel(const std::string& text) {
    switch (Ask(parent_.data(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        default:
            return PromptAnswer::Cancel;
    }
}

void UiThreadPrompter::detach() {
    {
        std::lock_guard<std::mutex> lock(lock_);
        detached_ = true;
    }
    answered_.notify_all();
}

template <typename F>
void UiThreadPrompter::onUiThread(F&& f) {
    if (detached_)
        return;
    if (QThread::currentThread() == context_->thread()) {
        f();
        return;
    }
    // The call runs on the user-interface thread with its own copies; this thread waits until
    // it has run or the prompter is detached (then the answer stays No).
    auto done = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        context_,
        [this, f = std::forward<F>(f), done] {
            if (detached_)
                return;
            f();
            {
                std::lock_guard<std::mutex> lock(lock_);
                *done = true;
            }
            answered_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(lock_);
    answered_.wait(lock, [&] { return *done || detached_; });
}

void UiThreadPrompter::showMessage(const std::string& text, PromptIcon icon) {
    onUiThread([this, text, icon] { inner_.showMessage(text, icon); });
}

bool UiThreadPrompter::askYesNo(const std::string& text) {
    auto answer = std::make_shared<std::atomic<bool>>(false);
    onUiThread([this, text, answer] { *answer = inner_.askYesNo(text); });
    return *answer;
}

PromptAnswer UiThreadPrompter::askYesNoCancel(const std::string& text) {
    auto answer = std::make_shared<std::atomic<PromptAnswer>>(PromptAnswer::Cancel);
    onUiThread([this, text, answer] { *answer = inner_.askYesNoCancel(text); });
    return *answer;
}

}  // namespace velkport::shell
