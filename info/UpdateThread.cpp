#include "UpdateThread.h"

#include <ProductFacts.h>
#include <juce_events/juce_events.h>

#include <algorithm>
#include <vector>

namespace
{
constexpr int connectionTimeoutMs = 5000;
constexpr int redirectsToFollow = 5;

// Far more than any version file holds. An answer that is still undecided after this many bytes
// (nothing but white space, or the running version followed by nothing but white space) is no
// version file.
constexpr int longestAnswerRead = 256;

std::atomic<int> checksInFlight{ 0 };

bool isWhiteSpace (char c) noexcept
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

/** The checks of closed editors whose requests had not ended yet. Only the message thread and
    the plug-in's shut-down touch the list; no check's own thread ever does, so nothing here
    waits for the network while holding the lock. */
class RetiredChecks
{
public:
    /** The module is being unloaded (or the process ends): nothing of ours may still run. */
    ~RetiredChecks() { waitForAll(); }

    void add (std::unique_ptr<UpdateThread> check)
    {
        const juce::ScopedLock lock (listLock);

        // Those that have ended since the last call go now, so the list stays short.
        checks.erase (std::remove_if (checks.begin(),
                                      checks.end(),
                                      [] (const std::unique_ptr<UpdateThread>& retired)
                                      { return ! retired->isThreadRunning(); }),
                      checks.end());
        checks.push_back (std::move (check));
    }

    void waitForAll()
    {
        std::vector<std::unique_ptr<UpdateThread>> waiting;

        {
            const juce::ScopedLock lock (listLock);
            waiting.swap (checks);
        }

        for (auto& check : waiting)
            check->waitForThreadToExit (-1);
    }

private:
    juce::CriticalSection listLock;
    std::vector<std::unique_ptr<UpdateThread>> checks;
};

/** Made on the first use, after the first check's own static bookkeeping (JUCE's leak counter),
    so that at unloading it is destroyed, and waits, before that bookkeeping goes. */
RetiredChecks& retiredChecks()
{
    static RetiredChecks checks;
    return checks;
}

/** JUCE deletes this when the plug-in's last instance goes (its last editor and processor
    released), before the module may be unloaded: every retired check is waited for then. */
class WaitAtShutdown final : public juce::DeletedAtShutdown
{
public:
    WaitAtShutdown() = default;

    ~WaitAtShutdown() override
    {
        retiredChecks().waitForAll();
        clearSingletonInstance();
    }

    JUCE_DECLARE_SINGLETON (WaitAtShutdown, false)
};

JUCE_IMPLEMENT_SINGLETON (WaitAtShutdown)
} // namespace

UpdateThread::UpdateThread (std::string versionFileAddress)
    : juce::Thread ("Loading module thread")
    , versionFileUrl (std::move (versionFileAddress))
    , currentVersion (ProductFacts::version)
{
    // The list of retired checks is made now, after this class's leak counter (see
    // retiredChecks).
    retiredChecks();
}

UpdateThread::~UpdateThread()
{
    // Never killed.
    waitForThreadToExit (-1);
}

bool UpdateThread::startIfThereIsRoom()
{
    if (holdsRoom)
        return true;

    auto running = checksInFlight.load();

    do
    {
        if (running >= maxRunningChecks)
            return false;
    } while (! checksInFlight.compare_exchange_weak (running, running + 1));

    // Set before the thread starts, so run() sees it.
    holdsRoom = true;

    if (! startThread())
    {
        holdsRoom = false;
        --checksInFlight;
        return false;
    }

    return true;
}

void UpdateThread::retire (std::unique_ptr<UpdateThread> check)
{
    if (check == nullptr || ! check->isThreadRunning())
        return;

    WaitAtShutdown::getInstance();
    retiredChecks().add (std::move (check));
}

void UpdateThread::waitForRetiredChecks()
{
    retiredChecks().waitForAll();
}

int UpdateThread::runningChecks() noexcept
{
    return checksInFlight.load();
}

void UpdateThread::run()
{
    auto differs = false;

    {
        // The same stream JUCE's URL::createInputStream builds for a form post.
        const juce::URL url{ juce::String (versionFileUrl) };
        juce::WebInputStream stream (url, true);
        stream.withConnectionTimeout (connectionTimeoutMs);
        stream.withNumRedirectsToFollow (redirectsToFollow);

        differs = fetchDiffersFromCurrent (stream);

        // Closing the stream may wait for a name lookup still under way: this thread counts as
        // running until that is over.
    }

    if (differs)
        updateAvailable.store (true);

    finished.store (true);

    // Tells any listener that the result is final.
    signalThreadShouldExit();

    if (holdsRoom)
        --checksInFlight;
}

bool UpdateThread::fetchDiffersFromCurrent (juce::WebInputStream& stream)
{
    if (! stream.connect (nullptr) || stream.isError())
        return false;

    // An error page, a redirect that was not followed or any other failure is no version text.
    const auto status = stream.getStatusCode();

    if (status < 200 || status > 299)
        return false;

    auto matchesCurrent = false;
    return readVersionText (stream, matchesCurrent) && ! matchesCurrent;
}

bool UpdateThread::readVersionText (juce::WebInputStream& stream, bool& matchesCurrent)
{
    // The text runs to the end of the body or to its first zero byte, and the white space around
    // it does not count. It is read a byte at a time and only as far as it takes to decide, so a
    // huge or endless body is never read to its end; yet at least one byte beyond the running
    // version's length, so a short answer broken off by the network is seen as broken.
    const auto length = currentVersion.size();
    size_t matched = 0;
    size_t textBytes = 0;
    auto inTrailingSpace = false;
    auto differs = false;

    for (int bytesRead = 0;; ++bytesRead)
    {
        if (differs && textBytes > length)
            break;

        if (bytesRead == longestAnswerRead)
            return false;

        char byte = 0;

        if (stream.read (&byte, 1) != 1)
        {
            if (stream.isError())
                return false;

            break;
        }

        if (byte == 0)
            break;

        if (textBytes == 0 && isWhiteSpace (byte))
            continue;

        ++textBytes;

        if (isWhiteSpace (byte))
            inTrailingSpace = true;
        else if (inTrailingSpace || matched == length || byte != currentVersion[matched])
            differs = true;
        else
            ++matched;
    }

    if (textBytes == 0)
        return false;

    matchesCurrent = ! differs && matched == length;
    return true;
}
