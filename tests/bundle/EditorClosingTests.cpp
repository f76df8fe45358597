#include "BundleFixture.h"
#include "OwnedEditor.h"
#include "support/ConcurrencyTests.h"
#include "support/RequestStalls.h"
#include "support/ThreadCensus.h"

#include <iostream>

namespace
{
using echovane::testing::closingBoundMs;
using echovane::testing::MakersHostRule;
using echovane::testing::pumpFor;
using echovane::testing::pumpUntil;
using echovane::testing::RequestStall;
using echovane::testing::StallStage;
using echovane::testing::TestResolver;
using echovane::testing::threadCountSettlesAt;
using echovane::testing::threadsInProcess;

class ClosingTheBundlesEditor : public ::testing::TestWithParam<StallStage>
{
};

// The plug-in's own https request for its fixed address, led into a stall on loopback: the host
// closes the editor through the VST3 view and gets control back at once. The check ends inside
// the bundle when the stall does, and leaves no thread.
CONCURRENCY_TEST_P (ClosingTheBundlesEditor, ReturnsAtOnceWhileTheUpdateCheckHangs)
{
    auto plugin = echovane::testing::loadBuiltBundle();

    // One opening first, its check refused at once, so that whatever the first editor starts
    // for good (timers, caches) is there before the threads are counted.
    echovane::host::OwnedEditor (plugin->createEditorIfNeeded()).reset();
    pumpFor (300);

    RequestStall stall (GetParam());
    ASSERT_TRUE (stall.isReady());
    const MakersHostRule refusedAgainAfterwards;
    stall.capture (TestResolver::makersHost());
    const auto threadsWithStall = threadsInProcess();

    echovane::host::OwnedEditor editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    ASSERT_TRUE (pumpUntil ([&stall]
                            { return stall.holdsARequest(); },
                            10000));
    pumpFor (300);

    const auto started = juce::Time::getMillisecondCounterHiRes();
    editor.reset();
    const auto tookMs = juce::Time::getMillisecondCounterHiRes() - started;

    std::cout << "[ info ] closing the bundle's editor while the " << nameOf (GetParam()) << " hangs took " << tookMs << " ms\n";
    EXPECT_LT (tookMs, closingBoundMs);
    EXPECT_GT (threadsInProcess(), threadsWithStall) << "the check goes on inside the bundle";

    stall.release();
    EXPECT_TRUE (threadCountSettlesAt (threadsWithStall, 10000));
}

INSTANTIATE_TEST_SUITE_P (Stages,
                          ClosingTheBundlesEditor,
                          ::testing::Values (StallStage::nameLookup, StallStage::connection, StallStage::tlsHandshake),
                          [] (const auto& testInfo)
                          { return std::string (nameOf (testInfo.param)); });
} // namespace
