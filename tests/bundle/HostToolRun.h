#pragma once

#include "support/JuceAssertions.h"

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <vector>

namespace echovane::testing
{
struct ToolRun
{
    int exitCode;
    juce::String output;
};

enum class HostOutput
{
    both,
    stdoutOnly
};

/** A display no X server can answer. Leaving DISPLAY unset is not enough: JUCE then tries ":0.0",
    which a machine with a desktop or a stray X server does serve. */
constexpr const char* displayThatIsNowhere = "DISPLAY=/nonexistent/echovane-tests/no-display:0";

/** echovane-host run with no display at all, as on a build server; its output is stdout and
    stderr together, or stdout alone. */
inline ToolRun runHost (juce::StringArray args, HostOutput streams = HostOutput::both)
{
    args.insert (0, ECHOVANE_HOST_PATH);

    if (streams == HostOutput::stdoutOnly)
    {
        for (const auto* word : { "exec \"$0\" \"$@\" 2>/dev/null", "-c", "/bin/sh" })
            args.insert (0, word);
    }

    args.insert (0, displayThatIsNowhere);
    args.insert (0, "WAYLAND_DISPLAY");
    args.insert (0, "-u");
    args.insert (0, "/usr/bin/env");
    juce::ChildProcess process;

    if (! process.start (args, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return { -1, "could not start " + args.joinIntoString (" ") };

    const auto output = process.readAllProcessOutput();
    process.waitForProcessToFinish (60000);

    // The tool carries its own JUCE: a Debug build's assertions there reach only its output.
    return { static_cast<int> (process.getExitCode()), withoutToleratedReports (output, "echovane-host " + args.joinIntoString (" ")) };
}

struct Refusal
{
    juce::StringArray args;
    int exitCode;
    const char* mentions;
};

/** Each invocation must fail with its exit code and one line on stderr that names the fault. */
inline void expectRefusals (const std::vector<Refusal>& refusals)
{
    for (const auto& refusal : refusals)
    {
        SCOPED_TRACE (refusal.args.joinIntoString (" "));
        const auto run = runHost (refusal.args);
        EXPECT_EQ (run.exitCode, refusal.exitCode);
        EXPECT_TRUE (run.output.startsWith ("echovane-host: ")) << run.output;
        EXPECT_TRUE (run.output.contains (refusal.mentions)) << run.output;
        EXPECT_EQ (juce::StringArray::fromLines (run.output.trimEnd()).size(), 1) << run.output;
        EXPECT_EQ (runHost (refusal.args, HostOutput::stdoutOnly).output, "") << "the refusal belongs on stderr";
    }
}
} // namespace echovane::testing
