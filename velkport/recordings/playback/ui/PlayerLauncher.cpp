#include "velkport/recordings/playback/ui/PlayerLauncher.h"

#include <QPointer>

#include "velkport/recordings/playback/ui/PlayerWindow.h"

namespace velkport::recordings::playback {

PlayerWindow* PlayerOf(QWidget* owner) {
    return owner->findChild<PlayerWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

std::function<void(const QString& path)> PlayerOpener(QWidget* owner, shell::Prompter& prompter) {
    QPointer<QWidget> guard(owner);
    return [guard, &prompter](const QString& path) {
        if (!guard)
            return;
        PlayerWindow* player = PlayerOf(guard);
        if (!player)
            player = new PlayerWindow(prompter, {}, guard);  // the owner deletes it
        player->show();
        player->raise();
        player->activateWindow();
        player->OpenRecording(path.toStdString());
    };
}

}  // namespace velkport::recordings::playback
