#pragma once
// The program's pictures, painted in code so that they need no image plugin: the program icon
// (the same drawing as data/velkport.svg), and the Channel and Upgrade button icons (48 x 35).

#include <QIcon>

namespace velkport::shell {

QIcon ProgramIcon();
QIcon ChannelButtonIcon();
QIcon UpgradeButtonIcon();

}  // namespace velkport::shell
