#pragma once

#include "MessagePump.h"

#include <juce_core/juce_core.h>

namespace echovane::testing
{
/** The bound on closing an editor (or its update notice) whatever its update check's request
    is doing. Closing never waits for the network, so it takes well under a millisecond; the
    bound only keeps a loaded machine, a Debug or a sanitizer build from failing the test, and
    stays far below what a close that waits would take (curl's one-second poll, the five-second
    connection time-out or a hanging name lookup). */
constexpr double closingBoundMs = 250.0;

/** How many threads this process has, as the system lists them. (The update check's thread
    name is longer than Linux keeps, so it cannot be told apart by name.) */
inline int threadsInProcess()
{
    return juce::File ("/proc/self/task").getNumberOfChildFiles (juce::File::findDirectories);
}

/** JUCE starts its timer thread from the message loop once the first timer runs, and keeps it.
    A test that counts threads around code that starts timers has it started before counting. */
inline void startJucesTimerThread()
{
    struct Ticking final : juce::Timer
    {
        void timerCallback() override {}
    } ticking;

    ticking.startTimer (1000);
    pumpFor (50);
}

/** Whether the process is back to `count` threads within a bound (by default a short one: a
    thread that has finished its work still takes a moment to leave the system's list). */
inline bool threadCountSettlesAt (int count, int timeoutMs = 2000)
{
    return pumpUntil ([count]
                      { return threadsInProcess() == count; },
                      timeoutMs);
}
} // namespace echovane::testing
