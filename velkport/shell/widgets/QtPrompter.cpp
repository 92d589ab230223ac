#include "velkport/shell/widgets/QtPrompter.h"

#include <QMessageBox>
#include <QThread>

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

template <typename F>
void UiThreadPrompter::onUiThread(F&& f) {
    if (detached_)
        return;
    if (QThread::currentThread() == context_->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(
        context_,
        [this, &f] {
            if (!detached_)
                f();
        },
        Qt::BlockingQueuedConnection);
}

void UiThreadPrompter::showMessage(const std::string& text, PromptIcon icon) {
    onUiThread([&] { inner_.showMessage(text, icon); });
}

bool UiThreadPrompter::askYesNo(const std::string& text) {
    bool answer = false;
    onUiThread([&] { answer = inner_.askYesNo(text); });
    return answer;
}

PromptAnswer UiThreadPrompter::askYesNoCancel(const std::string& text) {
    PromptAnswer answer = PromptAnswer::Cancel;
    onUiThread([&] { answer = inner_.askYesNoCancel(text); });
    return answer;
}

}  // namespace velkport::shell
