#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <optional>

namespace echovane::testing
{
/** `echovane-host open` on the built bundle, as a person starts it: a process of its own
    showing the editor in a desktop window, closed the way a desktop closes it (SIGTERM), after
    which it prints the parameters as the editor left them. Its output goes to a log read back
    here. A host still running when this goes is killed. */
class HostToolWindow final
{
public:
    /** Starts the host; `environment` adds to or replaces variables of the test's own. */
    explicit HostToolWindow (const std::map<juce::String, juce::String>& environment = {});
    ~HostToolWindow();

    HostToolWindow (const HostToolWindow&) = delete;
    HostToolWindow& operator= (const HostToolWindow&) = delete;

    bool isStarted() const { return pid > 0; }

    /** Asks the host to close its window and waits for it; true when it then ended with 0. */
    bool close();

    /** Everything the host has written so far, stdout and stderr together, with the JUCE
        assertions listed as unavoidable taken out; any other JUCE report fails the test. */
    juce::String log() const;

    /** The host's first line starting with `start`, or empty. */
    juce::String lineStartingWith (const juce::String& start) const;

    /** A parameter's value as the host printed it on closing (its "value" column), or nothing. */
    std::optional<double> closingValueOf (const juce::String& parameterName) const;

private:
    int pid = -1;
    juce::TemporaryFile logFile;
};
} // namespace echovane::testing
