#include "info/UpdateContainer.h"
#include "support/BrowserLaunchRecorder.h"
#include "support/ConcurrencyTests.h"
#include "support/LoopbackHttpServer.h"
#include "support/PointerDriver.h"
#include "support/ThreadCensus.h"
#include "support/UpdateChecks.h"

#include <gtest/gtest.h>

namespace
{
using echovane::testing::BrowserLaunchRecorder;
using echovane::testing::LoopbackHttpServer;
using echovane::testing::PointerDriver;
using echovane::testing::threadCountSettlesAt;
using echovane::testing::threadsInProcess;

constexpr auto productPage = "https://www.kestrinstudio.example/products/echovane";
const juce::String noticeText ("New version is available!");

/** A notice in a parent of its own, its check pointed at a loopback server. The timer's ticks
    are only dispatched by the message loop, which these tests do not run while they count
    ticks, so every tick here is one direct call. Checks left running by earlier tests are
    waited for first, so this one starts at once. */
struct NoticeFixture
{
    explicit NoticeFixture (LoopbackHttpServer::Answer answer)
        : server (std::move (answer))
    {
        EXPECT_TRUE (echovane::testing::updateChecksSettle());
        notice = std::make_unique<UpdateContainer> (server.urlFor ("/echovane/actual_version.txt"), productPage);
        parent.setBounds (0, 0, 400, 100);
        parent.setVisible (true);
        parent.addAndMakeVisible (notice.get());
        notice->setBounds (170, 38, 100, 12);
    }

    /** Waits without running the message loop, so no tick comes meanwhile. */
    bool waitForCheck()
    {
        const auto giveUpAt = juce::Time::getMillisecondCounter() + 20000;

        while (! notice->updateThread->hasFinished())
        {
            if (juce::Time::getMillisecondCounter() > giveUpAt)
                return false;

            juce::Thread::sleep (5);
        }

        return true;
    }

    juce::Label& label() const { return *dynamic_cast<juce::Label*> (notice->getChildComponent (0)); }

    bool showsHandCursor() const { return notice->getMouseCursor() == juce::MouseCursor (juce::MouseCursor::PointingHandCursor); }

    LoopbackHttpServer server;
    juce::Component parent;
    std::unique_ptr<UpdateContainer> notice;
};

// The fade: 109 steps from light grey to green, one tick holding the green, then over again.
struct FadeStep
{
    int tick;
    juce::uint32 argb;
};

const FadeStep fadeSteps[] = {
    { 1, 0xffdbdcdb },
    { 2, 0xffdadcda },
    { 55, 0xffa5dca5 },
    { 109, 0xff6fdc6f },
    { 110, 0xff6fdc6f },
    { 111, 0xffdbdcdb },
    { 112, 0xffdadcda },
    { 219, 0xff6fdc6f },
    { 220, 0xff6fdc6f },
    { 221, 0xffdbdcdb },
};

CONCURRENCY_TEST (UpdateNotice, FadesThroughItsCycleWhenTheVersionDiffers)
{
    NoticeFixture fixture (LoopbackHttpServer::answersWithBody ("1.0.1"));
    ASSERT_TRUE (fixture.waitForCheck());
    EXPECT_EQ (fixture.label().getText(), "");

    int tick = 0;

    for (const auto& step : fadeSteps)
    {
        while (tick < step.tick)
        {
            fixture.notice->timerCallback();
            ++tick;
        }

        SCOPED_TRACE ("tick " + std::to_string (step.tick));
        EXPECT_EQ (fixture.label().getText(), noticeText);
        EXPECT_EQ (fixture.label().findColour (juce::Label::textColourId).getARGB(), step.argb);
    }
}

CONCURRENCY_TEST (UpdateNotice, TextHeightFollowsTheNoticeHeight)
{
    NoticeFixture fixture (LoopbackHttpServer::answersWithBody ("1.0.0"));

    for (const auto height : { 12, 9, 18 })
    {
        fixture.notice->setSize (100, height);
        EXPECT_EQ (fixture.label().getBounds(), juce::Rectangle<int> (0, 0, 100, height));
        EXPECT_FLOAT_EQ (fixture.label().getFont().getHeight(), static_cast<float> (height));
    }
}

// Waiting (a server that never answers) and No update (the running version) stay empty and
// inert: no text, normal cursor, no page opened.
struct InertCase
{
    const char* name;
    LoopbackHttpServer::Answer answer;
    bool checkEnds;
};

const InertCase inertCases[] = {
    { "Waiting", LoopbackHttpServer::neverAnswers(), false },
    { "NoUpdate", LoopbackHttpServer::answersWithBody ("1.0.0"), true },
    { "CheckFailed", LoopbackHttpServer::sends (""), true },
};

void PrintTo (const InertCase& inertCase, std::ostream* out) { *out << inertCase.name; }

class InertNotice : public ::testing::TestWithParam<InertCase>
{
};

CONCURRENCY_TEST_P (InertNotice, ShowsNothingAndOpensNothing)
{
    BrowserLaunchRecorder browser;
    NoticeFixture fixture (GetParam().answer);

    if (GetParam().checkEnds)
        ASSERT_TRUE (fixture.waitForCheck());
    else
        ASSERT_TRUE (echovane::testing::pumpUntil ([&]
                                                   { return ! fixture.server.getRequests().empty(); },
                                                   10000));

    PointerDriver pointer (fixture.parent);

    for (int tick = 0; tick < 5; ++tick)
    {
        fixture.notice->timerCallback();
        pointer.leave();
        pointer.click ({ 220, 44 });
        pointer.click ({ 220, 44 });
    }

    EXPECT_EQ (fixture.label().getText(), "");
    EXPECT_FALSE (fixture.showsHandCursor());
    EXPECT_TRUE (browser.launchesSoFar().empty());
    const auto threadsWithCheck = threadsInProcess();

    // Closing the editor here, with the request still hanging in the Waiting case, returns at
    // once; the check ends when the server gives up, and leaves no thread.
    const auto started = juce::Time::getMillisecondCounterHiRes();
    fixture.notice.reset();
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, echovane::testing::closingBoundMs);
    fixture.server.releaseHeldConnections();
    EXPECT_TRUE (echovane::testing::updateChecksSettle());
    EXPECT_TRUE (threadCountSettlesAt (threadsWithCheck - (GetParam().checkEnds ? 0 : 1)));
}

INSTANTIATE_TEST_SUITE_P (States, InertNotice, ::testing::ValuesIn (inertCases), [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });

CONCURRENCY_TEST (UpdateNotice, HandCursorFromTheNextEntryAndEveryReleaseOpensTheProductPage)
{
    BrowserLaunchRecorder browser;
    NoticeFixture fixture (LoopbackHttpServer::answersWithBody ("2.0.0"));
    ASSERT_TRUE (fixture.waitForCheck());
    PointerDriver pointer (fixture.parent);

    // Over the notice before it shows: the cursor stays until the pointer leaves and enters.
    pointer.moveTo ({ 220, 44 });
    ASSERT_EQ (pointer.componentAt ({ 220, 44 }), fixture.notice.get());
    fixture.notice->timerCallback();
    EXPECT_EQ (fixture.label().getText(), noticeText);
    EXPECT_FALSE (fixture.showsHandCursor());

    pointer.moveTo ({ 5, 5 });
    pointer.moveTo ({ 220, 44 });
    EXPECT_TRUE (fixture.showsHandCursor());

    // A press on the notice opens the page at its release, wherever that is; twice for two.
    pointer.press ({ 220, 44 });
    pointer.release ({ 390, 90 });
    pointer.click ({ 175, 40 });
    EXPECT_EQ (browser.waitForLaunches (2), (std::vector<std::string>{ productPage, productPage }));

    // The cursor is never set back.
    pointer.leave();
    EXPECT_TRUE (fixture.showsHandCursor());
}

CONCURRENCY_TEST (UpdateNotice, AFailedBrowserLaunchChangesNothing)
{
    BrowserLaunchRecorder failingBrowser (false);
    NoticeFixture fixture (LoopbackHttpServer::answersWithBody ("2.0.0"));
    ASSERT_TRUE (fixture.waitForCheck());
    PointerDriver pointer (fixture.parent);

    fixture.notice->timerCallback();
    pointer.click ({ 220, 44 });
    EXPECT_EQ (failingBrowser.waitForLaunches (1), (std::vector<std::string>{ productPage }));

    // Waiting for the launch ran the message loop, so the real timer has ticked meanwhile; the
    // fade goes on one step per tick all the same.
    const auto colour = [&]
    { return fixture.label().findColour (juce::Label::textColourId); };
    const auto before = colour();
    fixture.notice->timerCallback();
    EXPECT_EQ (fixture.label().getText(), noticeText);
    EXPECT_EQ (colour().getRed(), before.getRed() - 1);
    EXPECT_EQ (colour().getGreen(), 220);
    pointer.moveTo ({ 5, 5 });
    pointer.moveTo ({ 220, 44 });
    EXPECT_TRUE (fixture.showsHandCursor());
}

// The real 150 ms timer, through the message loop: the notice shows by itself once the check
// has finished.
CONCURRENCY_TEST (UpdateNotice, ItsTimerShowsTheNoticeAfterTheCheck)
{
    NoticeFixture fixture (LoopbackHttpServer::answersWithBody ("1.2.0"));
    EXPECT_TRUE (echovane::testing::pumpUntil ([&]
                                               { return fixture.label().getText() == noticeText; },
                                               20000));
}
} // namespace

namespace
{
// A server that answers a byte at a time and never ends: the editor's message thread is never
// held by it, neither while the notice is built nor while the answer trickles, nor when the
// notice goes.
CONCURRENCY_TEST (UpdateNotice, AnEndlessTrickleNeverHoldsTheMessageThread)
{
    LoopbackHttpServer server ([] (LoopbackHttpServer::Exchange& exchange)
                               {
                                   LoopbackHttpServer::writeAll (exchange.client, "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n1");

                                   while (! exchange.stopping() && LoopbackHttpServer::writeAll (exchange.client, "."))
                                       juce::Thread::sleep (50); });

    ASSERT_TRUE (echovane::testing::updateChecksSettle());
    auto notice = std::make_unique<UpdateContainer> (server.urlFor ("/echovane/actual_version.txt"), productPage);
    ASSERT_TRUE (echovane::testing::pumpUntil ([&]
                                               { return ! server.getRequests().empty(); },
                                               10000));
    const auto threadsWithCheck = threadsInProcess();

    // The message loop keeps running while the answer trickles in.
    int delivered = 0;

    for (int i = 0; i < 5; ++i)
    {
        juce::MessageManager::callAsync ([&delivered]
                                         { ++delivered; });
        ASSERT_TRUE (echovane::testing::pumpUntil ([&]
                                                   { return delivered == i + 1; },
                                                   1000));
        juce::Thread::sleep (60);
    }

    const auto started = juce::Time::getMillisecondCounterHiRes();
    notice.reset();
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, echovane::testing::closingBoundMs);
    EXPECT_TRUE (echovane::testing::updateChecksSettle());
    EXPECT_TRUE (threadCountSettlesAt (threadsWithCheck - 1));
}
} // namespace
