#pragma once
// Counting the threads a player starts and leaves behind.

#include <cstddef>
#include <filesystem>
#include <string>

#include "tests/fixtures/TempDir.h"

namespace fixtures {

// Threads of this process but those shared by the whole process: GStreamer's clock thread,
// GLib's pooled workers ("pool-...") that run state changes for every graph, and Qt's pooled
// workers that scale pictures.
inline std::size_t OwnThreads() {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/task")) {
        const std::string name = readFile(e.path() / "comm");
        n += name != "GstSystemClock\n" && name != "Thread (pooled)\n" &&
             name.rfind("pool-", 0) != 0;
    }
    return n;
}

}  // namespace fixtures
