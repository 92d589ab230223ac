#pragma once
// The `corvid` commands for File Sharing Server mode and the corvidlet link:
//   share add|list|remove, account set|check, send-config, drop-config, settings, listen.

namespace corvid::app {

// Runs the command named by argv[0] with its arguments; -1 when argv[0] is none of them,
// otherwise the exit status.
int RunSharingCommand(int argc, char** argv);
// The usage lines of these commands.
const char* SharingUsage();

}  // namespace corvid::app
