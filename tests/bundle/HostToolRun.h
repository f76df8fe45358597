#pragma once

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

/** echovane-host run with no display at all, as on a build server. */
inline ToolRun runHost (juce::StringArray args)
{
    args.insert (0, ECHOVANE_HOST_PATH);
    args.insert (0, "WAYLAND_DISPLAY");
    args.insert (0, "-u");
    args.insert (0, "DISPLAY");
    args.insert (0, "-u");
    args.insert (0, "/usr/bin/env");
    juce::ChildProcess process;

    if (! process.start (args, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return { -1, "could not start " + args.joinIntoString (" ") };

    const auto output = process.readAllProcessOutput();
    process.waitForProcessToFinish (60000);
    return { static_cast<int> (process.getExitCode()), output };
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
    }
}
} // namespace echovane::testing
