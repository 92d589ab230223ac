#pragma once
// "Open" of a manager window: plays the file in the owner's player window, made on first use
// and re-used afterwards (one player per owner; it closes with the owner).

#include <QString>
#include <QWidget>
#include <functional>

#include "velkport/shell/base/Prompter.h"

namespace velkport::recordings::playback {

class PlayerWindow;

// The function to hand to a window's setFileOpener. The prompter outlives the owner.
std::function<void(const QString& path)> PlayerOpener(QWidget* owner, shell::Prompter& prompter);

// The owner's player window, or null before the first Open.
PlayerWindow* PlayerOf(QWidget* owner);

}  // namespace velkport::recordings::playback
