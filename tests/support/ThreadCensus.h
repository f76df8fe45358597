#pragma once

#include "MessagePump.h"

#include <juce_core/juce_core.h>

namespace echovane::testing
{
/** The bound on stopping an update check whose request hangs. A cancelled request ends at the
    web stream's next poll of its connection, at most about a second later; without the cancel
    the stop would wait out the five-second connection time-out. The margin keeps a loaded
    machine from failing the test. */
constexpr double promptStopMs = 2500.0;

/** How many threads this process has, as the system lists them. (The update check's thread
    name is longer than Linux keeps, so it cannot be told apart by name.) */
inline int threadsInProcess()
{
    return juce::File ("/proc/self/task").getNumberOfChildFiles (juce::File::findDirectories);
}

/** Whether the process is back to `count` threads within a short bound: a thread that has
    finished its work still takes a moment to leave the system's list. */
inline bool threadCountSettlesAt (int count)
{
    return pumpUntil ([count]
                      { return threadsInProcess() == count; },
                      2000);
}
} // namespace echovane::testing
