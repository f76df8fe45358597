#pragma once

#include "ConcurrencyTests.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace echovane::testing
{
/** Ends the test process, naming the step, when one step of a test does not finish within a
    generous bound: a hang then fails the test at once instead of stalling the run until CTest's
    time-out, and says which input hung. A bound against hangs only, never a speed check. */
class Watchdog final
{
public:
    explicit Watchdog (std::chrono::seconds boundToUse)
        : bound (boundToUse)
        , thread (startPlumbingThread ([this]
                                       { watch(); }))
    {
    }

    ~Watchdog()
    {
        {
            const std::lock_guard<std::mutex> lock (mutex);
            finished = true;
        }

        wake.notify_all();
        thread.join();
    }

    /** Starts the next step, which has the whole bound again. */
    void step (std::string description)
    {
        {
            const std::lock_guard<std::mutex> lock (mutex);
            current = std::move (description);
            ++steps;
        }

        wake.notify_all();
    }

private:
    void watch()
    {
        std::unique_lock<std::mutex> lock (mutex);

        while (! finished)
        {
            const auto stepsBefore = steps;

            if (wake.wait_for (lock, bound, [&]
                               { return finished || steps != stepsBefore; }))
                continue;

            std::fprintf (stderr, "watchdog: \"%s\" did not finish within %lld s\n", current.c_str(), static_cast<long long> (bound.count()));
            std::fflush (stderr);
            std::_Exit (EXIT_FAILURE);
        }
    }

    const std::chrono::seconds bound;
    std::mutex mutex;
    std::condition_variable wake;
    std::string current = "start";
    unsigned long long steps = 0;
    bool finished = false;
    std::thread thread;
};
} // namespace echovane::testing
