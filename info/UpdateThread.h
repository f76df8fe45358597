#pragma once

#include "WebAddresses.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <string>

/** Asks the maker's web server once for the text of its version file and compares it with the
    running version. The result is published in `updateAvailable` before the thread signals its
    own exit, so a listener told of the exit reads the final result.

    The request is one POST with an empty body; the answer body counts up to its first zero byte
    and must equal the running version byte for byte. A request that fails, or an answer cut off
    by a network error, leaves `updateAvailable` false: a broken transfer says nothing about the
    version. */
class UpdateThread final : public juce::Thread
{
public:
    /** The plug-in always asks the maker's server; tests hand in an address of their own. */
    explicit UpdateThread (std::string versionFileAddress = WebAddresses::versionFile);

    /** Stops a request still in flight: the stream is cancelled, then the thread is waited for,
        so closing the editor does not wait out the connection time-out of a server that does
        not answer. */
    ~UpdateThread() override;

    void run() override;

    const std::string versionFileUrl;
    const std::string currentVersion;
    std::atomic<bool> updateAvailable{ false };

private:
    bool fetchDiffersFromCurrent (juce::WebInputStream& stream);
    bool transferFailed (juce::WebInputStream& stream);
    void cancelRequestInFlight();

    // Guards the hand-over of the stream in flight to a destructor that wants to cancel it.
    // Held only for moments, never while the request waits on the network.
    juce::CriticalSection streamLock;
    juce::WebInputStream* streamInFlight = nullptr;
    bool requestCancelled = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateThread)
};
