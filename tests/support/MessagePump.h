#pragma once

#include <juce_events/juce_events.h>

#include <functional>

namespace juce
{
// JUCE's own step of its message loop; a test that needs the plug-in's answers pumps it
// until they have come.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace echovane::testing
{
/** Runs the message loop until `done` holds; gives up after a generous bound, so a plug-in
    that never answers fails the test instead of hanging it. */
inline bool pumpUntil (const std::function<bool()>& done, int timeoutMs = 20000)
{
    const auto giveUpAt = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (timeoutMs);

    while (! done())
    {
        if (juce::Time::getMillisecondCounter() > giveUpAt)
            return false;

        if (! juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (2);
    }

    return true;
}

/** Runs the message loop for `milliseconds`, for what has no sign of being done: a window
    manager's first events, the absence of an answer. */
inline void pumpFor (int milliseconds)
{
    const auto until = juce::Time::getMillisecondCounterHiRes() + milliseconds;
    pumpUntil ([until]
               { return juce::Time::getMillisecondCounterHiRes() >= until; },
               milliseconds + 1000);
}
} // namespace echovane::testing
