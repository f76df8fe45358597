#pragma once

#include "WebAddresses.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>
#include <string>

/** Asks the maker's web server once for the text of its version file and compares it with the
    running version. The result is published in `updateAvailable` before `hasFinished` turns
    true and before the thread signals its own exit, so whoever sees either reads the final
    result.

    The request is one POST with an empty body. Only a successful answer (a 2xx status) with a
    text counts: the body up to its first zero byte, without the white space around it, must
    then equal the running version byte for byte, or a newer version is taken to exist. An
    error status, an empty answer, a request that fails or an answer cut off by a network error
    leave `updateAvailable` false: none of them says anything about the version.

    Nobody ever waits for a request in flight on the message thread. A closing editor hands its
    check to retire(), which returns at once; the check then runs to its end on its own (its
    result is dropped) and is deleted later. No check outlives the plug-in's code: when the
    plug-in's last instance goes, and again when the module is unloaded, everything still
    running is waited for. At most maxRunningChecks requests are in flight at once in the whole
    plug-in, however fast editors open and close; a check that finds no room starts later. */
class UpdateThread final : public juce::Thread
{
public:
    /** The plug-in always asks the maker's server; tests hand in an address of their own. */
    explicit UpdateThread (std::string versionFileAddress = WebAddresses::versionFile);

    /** Waits for the request if it is still running: owners that must not wait hand a running
        check to retire() instead. */
    ~UpdateThread() override;

    void run() override;

    /** Starts the request if fewer than maxRunningChecks are in flight; otherwise does nothing
        and returns false, and the caller asks again later. Returns true once started. */
    bool startIfThereIsRoom();

    /** True once run() has published its final result. */
    bool hasFinished() const noexcept { return finished.load(); }

    /** Takes over a check whose owner is going, without waiting for it: a running one is kept
        until its request ends, one that has ended or never started is deleted at once. */
    static void retire (std::unique_ptr<UpdateThread> check);

    /** Waits until every retired check has ended, and deletes them. The plug-in's shut-down
        calls it; it must not run on a thread that a check waits for. */
    static void waitForRetiredChecks();

    /** How many requests are in flight in the whole plug-in, retired ones included. */
    static int runningChecks() noexcept;

    /** Each check's thread lives no longer than its request (bounded by the connection time-out
        or a name lookup), so this bounds the threads that quick open/close cycles can leave. */
    static constexpr int maxRunningChecks = 4;

    const std::string versionFileUrl;
    const std::string currentVersion;
    std::atomic<bool> updateAvailable{ false };

private:
    bool fetchDiffersFromCurrent (juce::WebInputStream& stream);
    bool readVersionText (juce::WebInputStream& stream, bool& matchesCurrent);

    std::atomic<bool> finished{ false };
    bool holdsRoom = false; // started through startIfThereIsRoom, and so counted

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateThread)
};
