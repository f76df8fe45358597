#include "info/UpdateThread.h"
#include "support/ConcurrencyTests.h"
#include "support/LoopbackHttpServer.h"
#include "support/ThreadCensus.h"
#include "support/UpdateChecks.h"

#include <gtest/gtest.h>

#include <iostream>

namespace
{
using echovane::testing::LoopbackHttpServer;
using echovane::testing::threadCountSettlesAt;
using echovane::testing::threadsInProcess;

constexpr auto versionPath = "/echovane/actual_version.txt";

// How long a check may take to end: a bound against hangs, never a speed check. Under the
// sanitizers each byte read of a huge answer costs a copy of all that JUCE's web stream holds
// unread, some megabytes, and four such tests share the machine: seconds where the build users
// get takes a tenth of one.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int checkEndsWithinMs = 120000;
#else
constexpr int checkEndsWithinMs = 20000;
#endif

struct SignalCounter final : juce::Thread::Listener
{
    void exitSignalSent() override { ++calls; }

    std::atomic<int> calls{ 0 };
};

/** Counts exit signals and notes what the result was when the first arrived. */
struct ExitWatch final : juce::Thread::Listener
{
    explicit ExitWatch (UpdateThread& watched)
        : thread (watched)
    {
        thread.addListener (this);
    }

    ~ExitWatch() override { thread.removeListener (this); }

    void exitSignalSent() override
    {
        resultAtFirstSignal.store (calls.load() == 0 ? (thread.updateAvailable.load() ? 1 : 0) : resultAtFirstSignal.load());
        ++calls;
    }

    UpdateThread& thread;
    std::atomic<int> calls{ 0 };
    std::atomic<int> resultAtFirstSignal{ -1 };
};

/** Writes `text` a byte at a time with a pause between bytes, then ends the answer. */
LoopbackHttpServer::Answer trickles (std::string text, int pauseMs)
{
    return [text, pauseMs] (LoopbackHttpServer::Exchange& exchange)
    {
        if (! LoopbackHttpServer::writeAll (exchange.client, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string (text.size()) + "\r\nConnection: close\r\n\r\n"))
            return;

        for (auto byte : text)
        {
            juce::Thread::sleep (pauseMs);

            if (exchange.stopping() || ! LoopbackHttpServer::writeAll (exchange.client, std::string (1, byte)))
                return;
        }
    };
}

/** Announces a long body, sends the start of it, and hangs up, at once or after a pause (so
    the break comes while the body is being read). */
LoopbackHttpServer::Answer cutsOffAfter (std::string start, int pauseMs = 0)
{
    return [start, pauseMs] (LoopbackHttpServer::Exchange& exchange)
    {
        LoopbackHttpServer::writeAll (exchange.client, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\n" + start);
        juce::Thread::sleep (pauseMs);
    };
}

/** A body far larger than any version text, written until the client stops reading. */
LoopbackHttpServer::Answer hugeBody (std::string start)
{
    return [start] (LoopbackHttpServer::Exchange& exchange)
    {
        const size_t total = 64 * 1024 * 1024;
        auto head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string (total) + "\r\nConnection: close\r\n\r\n" + start;
        const std::string filler (65536, 'x');

        if (! LoopbackHttpServer::writeAll (exchange.client, head))
            return;

        for (auto sent = start.size(); sent < total && ! exchange.stopping(); sent += filler.size())
            if (! LoopbackHttpServer::writeAll (exchange.client, filler))
                return;
    };
}

struct AnswerCase
{
    const char* name;
    LoopbackHttpServer::Answer answer;
    bool updateAvailable;
    const char* firstPath = versionPath;
};

std::string bytes (const char* data, size_t size) { return std::string (data, size); }

/** An answer with this status line and body. */
LoopbackHttpServer::Answer answersWith (const std::string& status, std::string body)
{
    return LoopbackHttpServer::sends (LoopbackHttpServer::response (status, std::move (body)));
}

const AnswerCase answerCases[] = {
    { "ExactVersion", LoopbackHttpServer::answersWithBody ("1.0.0"), false },
    // A version file saved by a text editor ends with a line end; white space around the version
    // does not count.
    { "LineFeedAfter", LoopbackHttpServer::answersWithBody ("1.0.0\n"), false },
    { "CarriageReturnLineFeedAfter", LoopbackHttpServer::answersWithBody ("1.0.0\r\n"), false },
    { "LeadingBlank", LoopbackHttpServer::answersWithBody (" 1.0.0"), false },
    { "TrailingBlank", LoopbackHttpServer::answersWithBody ("1.0.0 "), false },
    { "WhiteSpaceAllAround", LoopbackHttpServer::answersWithBody ("\t \r\n1.0.0 \t\r\n\r\n"), false },
    { "NewerPatch", LoopbackHttpServer::answersWithBody ("1.0.1"), true },
    { "NewerPatchWithLineFeed", LoopbackHttpServer::answersWithBody ("1.0.1\n"), true },
    { "NewerMajor", LoopbackHttpServer::answersWithBody ("2.0.0"), true },
    { "Shorter", LoopbackHttpServer::answersWithBody ("1.0"), true },
    { "TwoWords", LoopbackHttpServer::answersWithBody ("1.0.0 beta"), true },
    { "BlankInside", LoopbackHttpServer::answersWithBody ("1.0 .0"), true },
    { "SecondLine", LoopbackHttpServer::answersWithBody ("1.0.0\n1.0.1\n"), true },
    { "ZeroByteThenMore", LoopbackHttpServer::answersWithBody (bytes ("1.0.0\0more", 10)), false },
    { "ZeroByteThenInvalidUtf8", LoopbackHttpServer::answersWithBody (bytes ("1.0.0\0\xff\xfe", 8)), false },
    // An answer with no text says nothing about the version.
    { "Empty", LoopbackHttpServer::answersWithBody (""), false },
    { "OnlyWhiteSpace", LoopbackHttpServer::answersWithBody (" \r\n\t\n"), false },
    { "LeadingZeroByte", LoopbackHttpServer::answersWithBody (bytes ("\0"
                                                                     "1.0.0",
                                                                     6)),
      false },
    { "NoContent", answersWith ("204 No Content", ""), false },
    // Only a successful answer counts: an error page is no version.
    { "HtmlErrorPage", answersWith ("500 Internal Server Error", "<html><body><h1>500</h1></body></html>"), false },
    { "NotFoundPage", answersWith ("404 Not Found", "<html><body>Not Found</body></html>"), false },
    { "NotFoundWithVersionBody", answersWith ("404 Not Found", "1.0.0"), false },
    { "ServiceUnavailableWithAnotherVersion", answersWith ("503 Service Unavailable", "2.0.0"), false },
    { "CreatedWithAnotherVersion", answersWith ("201 Created", "2.0.0"), true },
    { "BinaryData", LoopbackHttpServer::answersWithBody (bytes ("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 16)), true },
    { "InvalidUtf8", LoopbackHttpServer::answersWithBody ("\xff\xfe\xc0\xaf"), true },
    { "VersionThenInvalidUtf8", LoopbackHttpServer::answersWithBody ("1.0.0\xc0"), true },
    { "FiveRedirects", LoopbackHttpServer::redirectChain (5, "2.0.0"), true, "/hop/0" },
    { "FiveRedirectsToTheRunningVersion", LoopbackHttpServer::redirectChain (5, "1.0.0"), false, "/hop/0" },
    { "SixRedirects", LoopbackHttpServer::redirectChain (6, "2.0.0"), false, "/hop/0" },
    { "SlowTrickleOfTheRunningVersion", trickles ("1.0.0", 150), false },
    { "SlowTrickleOfTheRunningVersionAndALineEnd", trickles ("1.0.0\r\n", 100), false },
    { "SlowTrickleOfAnotherVersion", trickles ("1.0.2", 150), true },
    // A transfer broken off says nothing about the version.
    { "ResetMidAnswer", cutsOffAfter ("2.0"), false },
    { "ResetMidAnswerAfterTheRunningVersion", cutsOffAfter ("1.0.0"), false },
    { "ResetMidAnswerAfterTheRunningVersionAndALineEnd", cutsOffAfter ("1.0.0\n"), false },
    { "ResetWhileTheBodyIsRead", cutsOffAfter ("2.0", 300), false },
    { "ResetWhileTheRunningVersionIsRead", cutsOffAfter ("1.0.0", 300), false },
    { "HangsUpWithoutAnswer", LoopbackHttpServer::sends (""), false },
    { "HugeBody", hugeBody ("<html>"), true },
    { "HugeBodyAfterTheVersionAndAZeroByte", hugeBody (bytes ("1.0.0\0", 6)), false },
    // Nothing but white space for longer than any version file: no text worth a notice.
    { "HugeBodyOfWhiteSpace", hugeBody (std::string (1024, ' ')), false },
    { "TheRunningVersionAndHugeWhiteSpace", hugeBody ("1.0.0" + std::string (1024, '\n')), false },
};

void PrintTo (const AnswerCase& answerCase, std::ostream* out) { *out << answerCase.name; }

class UpdateCheckAnswers : public ::testing::TestWithParam<AnswerCase>
{
};

CONCURRENCY_TEST_P (UpdateCheckAnswers, PublishesTheComparisonBeforeSignallingItsExit)
{
    const auto& answerCase = GetParam();
    LoopbackHttpServer server (answerCase.answer);
    ASSERT_TRUE (server.isListening());

    UpdateThread thread (server.urlFor (answerCase.firstPath));
    ExitWatch watch (thread);
    ASSERT_TRUE (thread.startIfThereIsRoom());

    ASSERT_TRUE (thread.waitForThreadToExit (checkEndsWithinMs));
    EXPECT_TRUE (thread.hasFinished());
    EXPECT_EQ (thread.updateAvailable.load(), answerCase.updateAvailable);
    EXPECT_EQ (watch.calls.load(), 1);
    EXPECT_EQ (watch.resultAtFirstSignal.load(), answerCase.updateAvailable ? 1 : 0);

    // One POST with an empty body and only the form headers of JUCE's stream.
    const auto requests = server.getRequests();
    ASSERT_FALSE (requests.empty());
    EXPECT_EQ (requests.front().method, "POST");
    EXPECT_EQ (requests.front().path, answerCase.firstPath);
    EXPECT_EQ (requests.front().header ("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ (requests.front().header ("Content-Length"), "0");
    EXPECT_EQ (requests.front().body, "");
}

INSTANTIATE_TEST_SUITE_P (Table, UpdateCheckAnswers, ::testing::ValuesIn (answerCases), [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });

CONCURRENCY_TEST (UpdateCheck, SixRedirectsStopAtTheFifth)
{
    LoopbackHttpServer server (LoopbackHttpServer::redirectChain (6, "2.0.0"));
    UpdateThread thread (server.urlFor ("/hop/0"));
    ASSERT_TRUE (thread.startIfThereIsRoom());
    ASSERT_TRUE (thread.waitForThreadToExit (checkEndsWithinMs));

    // The first request and five followed redirects; the sixth is not followed.
    EXPECT_EQ (server.getRequests().size(), 6u);
    EXPECT_FALSE (thread.updateAvailable.load());
}

TEST (UpdateCheck, ConnectionRefusedLeavesNoNotice)
{
    UpdateThread thread ("http://127.0.0.1:" + std::to_string (echovane::testing::refusingPort()) + versionPath);
    ExitWatch watch (thread);
    ASSERT_TRUE (thread.startIfThereIsRoom());

    ASSERT_TRUE (thread.waitForThreadToExit (checkEndsWithinMs));
    EXPECT_FALSE (thread.updateAvailable.load());
    EXPECT_EQ (watch.calls.load(), 1);
}

TEST (UpdateCheck, TheMakersAddressIsTheDefault)
{
    const UpdateThread thread;
    EXPECT_EQ (thread.versionFileUrl, WebAddresses::versionFile);
    EXPECT_TRUE (juce::String (thread.versionFileUrl).startsWith ("https://"));
    EXPECT_TRUE (juce::String (thread.versionFileUrl).endsWith ("actual_version.txt"));
    EXPECT_TRUE (juce::URL (juce::String (thread.versionFileUrl)).getDomain().endsWith (".example"));
    EXPECT_EQ (thread.currentVersion, "1.0.0");
    EXPECT_EQ (thread.getThreadName(), "Loading module thread");
}

CONCURRENCY_TEST (UpdateCheck, TwoChecksAtOnceAreIndependent)
{
    LoopbackHttpServer same (LoopbackHttpServer::answersWithBody ("1.0.0"));
    LoopbackHttpServer newer (LoopbackHttpServer::answersWithBody ("1.1.0"));
    UpdateThread first (same.urlFor (versionPath));
    UpdateThread second (newer.urlFor (versionPath));
    ASSERT_TRUE (first.startIfThereIsRoom());
    ASSERT_TRUE (second.startIfThereIsRoom());

    ASSERT_TRUE (first.waitForThreadToExit (checkEndsWithinMs));
    ASSERT_TRUE (second.waitForThreadToExit (checkEndsWithinMs));
    EXPECT_FALSE (first.updateAvailable.load());
    EXPECT_TRUE (second.updateAvailable.load());
}

// A server that accepts and never answers: retiring the check returns at once and signals
// nothing; the check ends when its request does, and leaves no thread behind.
CONCURRENCY_TEST (UpdateCheck, RetiringWhileTheRequestHangsReturnsAtOnce)
{
    ASSERT_TRUE (echovane::testing::updateChecksSettle());
    LoopbackHttpServer server (LoopbackHttpServer::neverAnswers());
    const auto threadsBefore = threadsInProcess();

    SignalCounter signals;
    auto thread = std::make_unique<UpdateThread> (server.urlFor (versionPath));
    thread->addListener (&signals);
    ASSERT_TRUE (thread->startIfThereIsRoom());
    ASSERT_TRUE (echovane::testing::pumpUntil ([&server]
                                               { return ! server.getRequests().empty(); },
                                               10000));
    juce::Thread::sleep (200);
    ASSERT_TRUE (thread->isThreadRunning());
    EXPECT_EQ (signals.calls.load(), 0);
    EXPECT_EQ (threadsInProcess(), threadsBefore + 1);
    EXPECT_EQ (UpdateThread::runningChecks(), 1);

    const auto started = juce::Time::getMillisecondCounterHiRes();
    UpdateThread::retire (std::move (thread));
    const auto tookMs = juce::Time::getMillisecondCounterHiRes() - started;

    EXPECT_LT (tookMs, echovane::testing::closingBoundMs);
    std::cout << "[ info ] retiring the hanging check took " << tookMs << " ms\n";
    EXPECT_EQ (signals.calls.load(), 0);
    EXPECT_EQ (UpdateThread::runningChecks(), 1) << "the request goes on by itself";

    // The server gives up: the check ends by itself, signalling its own exit once.
    server.releaseHeldConnections();
    EXPECT_TRUE (echovane::testing::updateChecksSettle());
    EXPECT_TRUE (threadCountSettlesAt (threadsBefore));
    EXPECT_EQ (signals.calls.load(), 1);
}
} // namespace
