#include "info/UpdateContainer.h"
#include "support/ConcurrencyTests.h"
#include "support/RequestStalls.h"
#include "support/ThreadCensus.h"
#include "support/UpdateChecks.h"

#include <gtest/gtest.h>

#include <iostream>
#include <thread>

namespace
{
using echovane::testing::closingBoundMs;
using echovane::testing::pumpFor;
using echovane::testing::pumpUntil;
using echovane::testing::RequestStall;
using echovane::testing::StallStage;
using echovane::testing::threadCountSettlesAt;
using echovane::testing::threadsInProcess;
using echovane::testing::updateChecksSettle;

constexpr auto productPage = "https://www.kestrinstudio.example/products/echovane";

/** Closes a notice as its editor does, and says how long that took. */
double closingMs (std::unique_ptr<UpdateContainer>& notice)
{
    const auto started = juce::Time::getMillisecondCounterHiRes();
    notice.reset();
    return juce::Time::getMillisecondCounterHiRes() - started;
}

class ClosingTheNotice : public ::testing::TestWithParam<StallStage>
{
};

// Whatever stage the request hangs at, closing returns at once; the check carries on by itself
// and ends when its request does, leaving no thread behind.
CONCURRENCY_TEST_P (ClosingTheNotice, ReturnsAtOnceWhileTheRequestHangs)
{
    ASSERT_TRUE (updateChecksSettle());
    RequestStall stall (GetParam());
    ASSERT_TRUE (stall.isReady());
    echovane::testing::startJucesTimerThread();
    const auto threadsBefore = threadsInProcess();

    auto notice = std::make_unique<UpdateContainer> (stall.address(), productPage);
    ASSERT_TRUE (pumpUntil ([&stall]
                            { return stall.holdsARequest(); },
                            10000));

    // Well inside the hang: curl has gone to sleep in its wait by now.
    juce::Thread::sleep (300);
    ASSERT_EQ (UpdateThread::runningChecks(), 1);
    ASSERT_FALSE (notice->updateThread->hasFinished());

    const auto tookMs = closingMs (notice);
    std::cout << "[ info ] closing while the " << nameOf (GetParam()) << " hangs took " << tookMs << " ms\n";
    EXPECT_LT (tookMs, closingBoundMs);
    EXPECT_EQ (UpdateThread::runningChecks(), 1) << "the request goes on by itself";

    stall.release();
    EXPECT_TRUE (updateChecksSettle());
    EXPECT_TRUE (threadCountSettlesAt (threadsBefore));
}

INSTANTIATE_TEST_SUITE_P (Stages,
                          ClosingTheNotice,
                          ::testing::Values (StallStage::nameLookup, StallStage::connection, StallStage::tlsHandshake, StallStage::answer, StallStage::body, StallStage::redirect),
                          [] (const auto& testInfo)
                          { return std::string (nameOf (testInfo.param)); });

// Opening and closing as fast as a host can, against a server that never answers: the requests
// in flight, and so their threads, never exceed the bound. An editor opened meanwhile makes its
// own request as soon as an earlier one has ended.
CONCURRENCY_TEST (ClosingTheNoticeOften, KeepsTheRequestsInFlightBounded)
{
    ASSERT_TRUE (updateChecksSettle());
    RequestStall stall (StallStage::tlsHandshake);

    echovane::testing::startJucesTimerThread();

    const auto threadsBefore = threadsInProcess();
    auto mostRunning = 0;
    auto mostThreads = 0;

    for (int cycle = 0; cycle < 40; ++cycle)
    {
        auto notice = std::make_unique<UpdateContainer> (stall.address(), productPage);
        pumpFor (5);
        EXPECT_LT (closingMs (notice), closingBoundMs);

        mostRunning = juce::jmax (mostRunning, UpdateThread::runningChecks());
        mostThreads = juce::jmax (mostThreads, threadsInProcess() - threadsBefore);
    }

    ASSERT_TRUE (pumpUntil ([&stall]
                            { return stall.requestsHeld() == UpdateThread::maxRunningChecks; },
                            10000));
    EXPECT_EQ (mostRunning, UpdateThread::maxRunningChecks);
    EXPECT_LE (mostThreads, UpdateThread::maxRunningChecks);
    std::cout << "[ info ] 40 quick cycles left at most " << mostThreads << " threads\n";

    // One more editor, kept open: no room, so no request yet, and nothing shown.
    auto waiting = std::make_unique<UpdateContainer> (stall.address(), productPage);
    pumpFor (400);
    EXPECT_EQ (stall.requestsHeld(), UpdateThread::maxRunningChecks);
    EXPECT_FALSE (waiting->updateThread->isThreadRunning());

    // The server gives up on the four: the waiting editor's request goes out at its next tick.
    stall.release();
    EXPECT_TRUE (pumpUntil ([&stall]
                            { return stall.requestsHeld() == UpdateThread::maxRunningChecks + 1; },
                            10000));
    // The four end as the server's closing reaches each; only the new one is left hanging.
    EXPECT_TRUE (pumpUntil ([]
                            { return UpdateThread::runningChecks() == 1; },
                            10000));

    EXPECT_LT (closingMs (waiting), closingBoundMs);
    stall.release();
    EXPECT_TRUE (updateChecksSettle());
    EXPECT_TRUE (threadCountSettlesAt (threadsBefore));
}

// What the plug-in's shut-down does when its last instance goes: every check still running is
// waited for, however long its request takes, and then none is left.
CONCURRENCY_TEST (ClosingTheNoticeOften, ShutDownWaitsForEveryCheckLeftRunning)
{
    ASSERT_TRUE (updateChecksSettle());
    RequestStall stall (StallStage::answer);
    echovane::testing::startJucesTimerThread();
    const auto threadsBefore = threadsInProcess();

    for (int editor = 0; editor < 3; ++editor)
    {
        auto notice = std::make_unique<UpdateContainer> (stall.address(), productPage);
        ASSERT_TRUE (pumpUntil ([&stall, editor]
                                { return stall.requestsHeld() == editor + 1; },
                                10000));
        EXPECT_LT (closingMs (notice), closingBoundMs);
    }

    ASSERT_EQ (UpdateThread::runningChecks(), 3);

    // The server gives up a while later, on a thread of its own.
    std::thread giveUp ([&stall]
                        {
                            juce::Thread::sleep (400);
                            stall.release(); });

    const auto started = juce::Time::getMillisecondCounterHiRes();
    UpdateThread::waitForRetiredChecks();
    const auto waitedMs = juce::Time::getMillisecondCounterHiRes() - started;
    giveUp.join();

    EXPECT_EQ (UpdateThread::runningChecks(), 0);
    EXPECT_GE (waitedMs, 300.0);
    EXPECT_TRUE (threadCountSettlesAt (threadsBefore));
}
} // namespace
