#pragma once
// corvid on the desktop: "corvid [ADDRESS]" with no command runs the desktop program (one per
// user; a second start hands its address to the first).

namespace corvid::app {

// True when the arguments ask for the desktop program rather than a command.
bool IsDesktopStart(int argc, char** argv);
int RunDesktop(int argc, char** argv);

}  // namespace corvid::app
