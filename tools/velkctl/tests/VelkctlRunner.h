#pragma once
// Runs the built velkctl program as a process for a test: its exit status and everything it
// wrote. The program is found beside the test executable (bin/tests/../velkctl).

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/fixtures/RunningSim.h"

namespace velkctl::testing {

struct Outcome {
    int status = -1;  // exit status (128 + signal), or -1 when it did not end in time
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

// velkctl against the emulated receiver running in the test (its address, ports and pin come
// first, so that the arguments can override them), answering yes to every question unless
// answerYes_ is cleared, with a home folder of its own and the time zone UTC.
class VelkctlOnSim : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.ok()) << sim_.error();
        ASSERT_TRUE(std::filesystem::exists(VelkctlPath())) << VelkctlPath();
    }
    Outcome Run(const std::vector<std::string>& args, std::chrono::milliseconds interruptAfter = {},
                int portBase = 0);

    fixtures::RunningSim sim_;
    fixtures::TempDir local_, home_;
    bool answerYes_ = true;
};

}  // namespace velkctl::testing
