#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/fixtures/TempDir.h"
#include "velkport/shell/SingleInstance.h"

using velkport::shell::SingleInstance;

TEST(SingleInstanceTest, ASecondCopyInThisOrAnotherProcessIsTurnedAwayUntilTheFirstEnds) {
    fixtures::TempDir dir;
    const auto lock = dir / "velkport.lock";
    {
        auto first = SingleInstance::Acquire(lock);
        ASSERT_TRUE(first);
        EXPECT_FALSE(SingleInstance::Acquire(lock));
        // Moving the guard keeps the lock.
        SingleInstance moved = std::move(*first);
        EXPECT_FALSE(SingleInstance::Acquire(lock));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(SingleInstance::Acquire(lock) ? 0 : 3);  // the child process is the second start
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 3);
        EXPECT_FALSE(SingleInstance::Acquire(lock)) << "the first keeps its lock";
    }
    EXPECT_TRUE(SingleInstance::Acquire(lock));
}

TEST(SingleInstanceTest, AnUnwritableLockPlaceIsReportedNotIgnored) {
    EXPECT_FALSE(SingleInstance::Acquire("/nonexistent-folder/velkport.lock"));
}

TEST(SingleInstanceTest, AlreadyRunningTextNamesTheModel) {
    EXPECT_EQ(SingleInstance::AlreadyRunningText(), "QX7100 is already running");
}
