#pragma once

#include <functional>
#include <string>
#include <vector>

namespace echovane::rawhost
{
/** What a check run in a process of its own found. */
struct IsolatedOutcome
{
    /** Empty when the process ran the check to its end; otherwise how it died. */
    std::string death;
    /** The step the check had announced last when it ended. */
    std::string lastStep;
    /** The problems the check reported, and its stderr (where a loaded bundle's JUCE writes its
        assertions). */
    std::vector<std::string> problems;
    std::string errorOutput;
};

/** The child's line to the test: each step and problem reaches the parent at once, so a crash
    cannot take them with it. */
class ChildReport
{
public:
    explicit ChildReport (int fd)
        : reportFd (fd)
    {
    }

    void step (const std::string& name);
    void problem (const std::string& text);

    bool anyProblem() const { return problemCount > 0; }

private:
    int reportFd;
    int problemCount = 0;
};

/** Runs `check` in a forked child, as a separate host process would: a crash, a hang (a watchdog
    of `watchdogSeconds` ends it) or an exception escaping the plug-in only ends the child, and the
    outcome says which. Call it from a process that has not loaded the bundle, so the child starts
    with one thread. */
IsolatedOutcome runIsolated (const std::function<void (ChildReport&)>& check, unsigned watchdogSeconds = 60);

/** Fails the running test for every problem, for a death, and for every JUCE assertion report
    in the child's stderr that is not listed as tolerated; `what` names the case. */
void expectCleanOutcome (const IsolatedOutcome& outcome, const std::string& what);
} // namespace echovane::rawhost
