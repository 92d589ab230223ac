// Outside programs run with a time limit, their input fed and their output collected.

#include <gtest/gtest.h>

#include <chrono>

#include "corvid/sharing/CommandRunner.h"

namespace corvid::sharing {
namespace {

TEST(CommandRunner, InputOutputAndExitStatusComeThrough) {
    CommandRunner runner;
    const CommandResult r =
        runner.Run({"sh", "-c", "cat; echo \"$WORD\" >&2; exit 3"}, "fed\n", {{"WORD", "passed"}});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.output, "fed\n");
    EXPECT_EQ(r.reason(), "passed");
    EXPECT_FALSE(runner.Run({"/nonexistent/program"}).started);
}

TEST(CommandRunner, AProgramThatIgnoresItsInputOrHangsDoesNotTakeCorvidWithIt) {
    CommandRunner runner;
    // Four megabytes to a program that reads none of it: no SIGPIPE ends this process.
    EXPECT_TRUE(runner.Run({"true"}, std::string(4 << 20, 'x')).ok());
    runner.timeLimit = std::chrono::milliseconds(300);
    const auto start = std::chrono::steady_clock::now();
    const CommandResult r = runner.Run({"sleep", "30"});
    EXPECT_EQ(r.exitCode, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace corvid::sharing
