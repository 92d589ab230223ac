#pragma once
// Runs the built velkctl program as a process for a test: its exit status and everything it
// wrote. The program is found beside the test executable (bin/tests/../velkctl).

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace velkctl::testing {

struct Outcome {
    int status = -1;  // exit status, or -1 when it did not exit by itself in time
    std::string out;
    std::string err;
};

std::filesystem::path VelkctlPath();

// Runs velkctl with the arguments, in this process's environment without its VELK_ variables
// plus `env`, with /dev/null as input; kills it after `limit`. A non-zero `interruptAfter`
// presses Ctrl-C (SIGINT) that long after the start.
Outcome RunVelkctl(const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& env = {},
                   std::chrono::milliseconds limit = std::chrono::seconds(20),
                   std::chrono::milliseconds interruptAfter = {});

}  // namespace velkctl::testing
