#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/shell/widgets/BackgroundJob.h"
#include "velkport/shell/widgets/ProgressWindow.h"
#include "velkport/shell/widgets/QtPrompter.h"

using namespace velkport::shell;

namespace {

// Runs until cancelled, as a transfer polls between blocks.
JobResult UntilCancelled(Progress& progress) {
    progress.begin("Working", 100);
    while (!progress.cancelled())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    progress.end();
    return JobResult::Stopped();
}

}  // namespace

TEST(BackgroundJobGuiTest, ResultArrivesOnTheUiThreadAndOneJobRunsAtATime) {
    QWidget owner;
    BackgroundJob job(&owner);
    QThread* workerThread = nullptr;
    QThread* doneThread = nullptr;
    JobResult got;
    QSignalSpy finished(&job, &BackgroundJob::finished);
    ASSERT_TRUE(job.start(
        [&](Progress& p) {
            workerThread = QThread::currentThread();
            p.begin("Sending", 10);
            p.advance(5);
            return JobResult::Failed("550 No such file");
        },
        [&](const JobResult& r) {
            doneThread = QThread::currentThread();
            got = r;
        }));
    EXPECT_TRUE(job.running());
    EXPECT_FALSE(job.start([](Progress&) { return JobResult::Done(); }));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_FALSE(job.running());
    EXPECT_NE(workerThread, QThread::currentThread());
    EXPECT_EQ(doneThread, QThread::currentThread());
    EXPECT_EQ(got, JobResult::Failed("550 No such file"));
    EXPECT_EQ(job.progressWindow()->text(), "Sending");
    EXPECT_EQ(job.progressWindow()->position(), 50);
}

TEST(BackgroundJobGuiTest, CancelReachesTheJobAndTheNextJobStartsUncancelled) {
    QWidget owner;
    BackgroundJob job(&owner);
    JobResult got;
    ASSERT_TRUE(job.start(UntilCancelled, [&](const JobResult& r) { got = r; }));
    QSignalSpy finished(&job, &BackgroundJob::finished);
    QTest::mouseClick(job.progressWindow()->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(got.stopped());
    std::atomic<bool> sawCancel{true};
    ASSERT_TRUE(job.start([&](Progress& p) {
        sawCancel = p.cancelled();
        return JobResult::Done();
    }));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_FALSE(sawCancel);
}

TEST(BackgroundJobGuiTest, GoingWithItsWindowCancelsAndJoinsEvenAWorkerWaitingForAnAnswer) {
    fixtures::RecordingPrompter inner;
    auto owner = std::make_unique<QWidget>();
    UiThreadPrompter prompter(inner, owner.get());
    auto job = std::make_unique<BackgroundJob>(owner.get(), &prompter);
    std::atomic<bool> asked{false};
    std::atomic<bool> answer{true};
    bool delivered = false;
    ASSERT_TRUE(job->start(
        [&](Progress&) {
            asked = true;
            answer = prompter.askYesNo("Overwrite?");  // nobody on the UI thread answers
            return JobResult::Done();
        },
        [&](const JobResult&) { delivered = true; }));
    while (!asked)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    job.reset();  // returns: the question is answered No and the worker joined
    EXPECT_FALSE(answer);
    QTest::qWait(20);
    EXPECT_FALSE(delivered);  // a job that went delivers nothing
    EXPECT_TRUE(inner.entries.empty());

    job = std::make_unique<BackgroundJob>(owner.get());
    ASSERT_TRUE(job->start(UntilCancelled));
    job.reset();  // would hang if the job were not cancelled
}

TEST(BackgroundJobGuiTest, CloseWhenDoneClosesTheWindowAfterTheResult) {
    QWidget owner;
    owner.show();
    BackgroundJob job(&owner);
    EXPECT_FALSE(job.closeWhenDone());  // nothing runs: the caller closes at once
    bool delivered = false;
    ASSERT_TRUE(job.start(UntilCancelled, [&](const JobResult&) {
        delivered = true;
        EXPECT_TRUE(owner.isVisible());
    }));
    EXPECT_TRUE(job.closeWhenDone());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !owner.isVisible(); }, 5000));
    EXPECT_TRUE(delivered);
}
