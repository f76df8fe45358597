#include "UpdateThread.h"

namespace
{
constexpr int connectionTimeoutMs = 5000;
constexpr int redirectsToFollow = 5;
} // namespace

UpdateThread::UpdateThread (std::string versionFileAddress)
    : juce::Thread ("Loading module thread")
    , versionFileUrl (std::move (versionFileAddress))
    , currentVersion ("1.0.0")
{
}

UpdateThread::~UpdateThread()
{
    if (isThreadRunning())
        signalThreadShouldExit();

    cancelRequestInFlight();

    // Never killed. A cancelled stream gives up at its next poll of the connection, at most about
    // a second later; a host-name lookup still under way runs to its end first.
    waitForThreadToExit (-1);
}

void UpdateThread::run()
{
    // The same stream JUCE's URL::createInputStream builds for a form post, made here so that
    // the destructor can cancel it while it connects.
    const juce::URL url{ juce::String (versionFileUrl) };
    juce::WebInputStream stream (url, true);
    stream.withConnectionTimeout (connectionTimeoutMs);
    stream.withNumRedirectsToFollow (redirectsToFollow);

    bool cancelledBeforeStart = false;

    {
        const juce::ScopedLock lock (streamLock);
        cancelledBeforeStart = requestCancelled;

        if (! cancelledBeforeStart)
            streamInFlight = &stream;
    }

    const auto differs = ! cancelledBeforeStart && fetchDiffersFromCurrent (stream);

    {
        const juce::ScopedLock lock (streamLock);
        streamInFlight = nullptr;
    }

    if (differs)
        updateAvailable.store (true);

    // Tells the listener that the result is final.
    signalThreadShouldExit();
}

bool UpdateThread::fetchDiffersFromCurrent (juce::WebInputStream& stream)
{
    if (! stream.connect (nullptr) || transferFailed (stream))
        return false;

    // One byte beyond the running version decides the comparison, so a huge or endless body is
    // never read further than that.
    std::string text;

    while (text.size() <= currentVersion.size())
    {
        char byte = 0;

        if (stream.read (&byte, 1) != 1)
        {
            if (transferFailed (stream))
                return false;

            break;
        }

        if (byte == 0)
            break;

        text.push_back (byte);
    }

    return text != currentVersion;
}

bool UpdateThread::transferFailed (juce::WebInputStream& stream)
{
    // isError reads what a cancel writes; the lock keeps the two apart.
    const juce::ScopedLock lock (streamLock);
    return requestCancelled || stream.isError();
}

void UpdateThread::cancelRequestInFlight()
{
    const juce::ScopedLock lock (streamLock);
    requestCancelled = true;

    if (streamInFlight != nullptr)
        streamInFlight->cancel();
}
