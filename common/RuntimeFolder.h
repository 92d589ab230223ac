#pragma once
// Where a program keeps its per-user run-time files (locks, sockets): $XDG_RUNTIME_DIR when it
// is a folder, else the system's temporary folder with the user id in the name so that users
// do not meet.

#include <filesystem>
#include <string>

namespace common {

// "$XDG_RUNTIME_DIR/<stem><extension>", else "<temp>/<stem>-<uid><extension>".
std::filesystem::path RuntimePath(const std::string& stem, const std::string& extension);

}  // namespace common
