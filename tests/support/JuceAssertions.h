#pragma once

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace echovane::testing
{
/** How JUCE reports an assertion hit (one line, naming FILE:LINE) and a leak at shut-down. */
inline bool isJuceAssertionReport (const juce::String& line)
{
    return line.contains ("JUCE Assertion failure in ") || line.contains ("Leaked objects detected");
}

/** Why the assertion that `line` reports is unavoidable, or an empty string when it is not one
    of those listed in support/tolerated-juce-assertions.txt. */
inline juce::String toleratedReason (const juce::String& line)
{
    static const auto tolerated = []
    {
        juce::StringPairArray sites;
        juce::StringArray lines;
        juce::File (ECHOVANE_TOLERATED_ASSERTIONS_FILE).readLines (lines);

        for (const auto& entry : lines)
            if (entry.isNotEmpty() && ! entry.startsWith ("#"))
                sites.set (entry.upToFirstOccurrenceOf (" ", false, false), entry.fromFirstOccurrenceOf (" ", false, false).trim());

        return sites;
    }();

    const auto site = line.fromFirstOccurrenceOf ("JUCE Assertion failure in ", false, false).trim();
    return site.isEmpty() ? juce::String() : tolerated[site];
}

/** The report as it is passed on: a tolerated assertion is marked as such, so that only the
    others still read as a failure. */
inline juce::String describeReport (const juce::String& line)
{
    const auto reason = toleratedReason (line);
    return reason.isEmpty() ? line : "tolerated JUCE assertion at " + line.fromFirstOccurrenceOf ("failure in ", false, false).trim() + " (" + reason + ")";
}

/** Checks one piece of captured output: each untolerated report fails the running test. Returns
    the output with the tolerated reports marked. */
inline juce::String checkedOutput (const juce::String& output, const juce::String& source)
{
    juce::StringArray lines;
    lines.addLines (output);

    for (auto& line : lines)
    {
        if (! isJuceAssertionReport (line))
            continue;

        if (toleratedReason (line).isEmpty())
            ADD_FAILURE() << source << ": " << line;
        else
            line = describeReport (line);
    }

    return lines.joinIntoString ("\n");
}

/** Output of another process with its tolerated assertion reports taken out; each other report
    fails the running test. */
inline juce::String withoutToleratedReports (const juce::String& output, const juce::String& source)
{
    juce::StringArray kept;
    juce::StringArray lines;
    lines.addLines (output);

    for (const auto& line : lines)
    {
        if (isJuceAssertionReport (line) && toleratedReason (line).isNotEmpty())
            continue;

        if (isJuceAssertionReport (line))
            ADD_FAILURE() << source << ": " << line;

        kept.add (line);
    }

    // addLines drops a final line end; keep the output's own.
    return kept.joinIntoString ("\n") + (output.endsWithChar ('\n') ? "\n" : "");
}

/** While it lives, the process's stderr goes to a file: a loaded bundle carries its own JUCE,
    which can only print its assertions there. When it ends, what was written is passed on, and
    each assertion report that is not tolerated fails the test. */
class PluginStderrWatch final
{
public:
    PluginStderrWatch()
    {
        std::fflush (stderr);
        saved = ::dup (STDERR_FILENO);
        const auto captureFd = ::open (capture.getFile().getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

        if (saved < 0 || captureFd < 0 || ::dup2 (captureFd, STDERR_FILENO) < 0)
            ADD_FAILURE() << "could not capture stderr";

        if (captureFd >= 0)
            ::close (captureFd);
    }

    ~PluginStderrWatch()
    {
        std::fflush (stderr);

        if (saved >= 0)
        {
            ::dup2 (saved, STDERR_FILENO);
            ::close (saved);
        }

        const auto output = capture.getFile().loadFileAsString();

        if (output.isNotEmpty())
            std::fprintf (stderr, "%s\n", checkedOutput (output, "the loaded bundle").toRawUTF8());
    }

private:
    juce::TemporaryFile capture{ ".log" };
    int saved = -1;

    JUCE_DECLARE_NON_COPYABLE (PluginStderrWatch)
};
} // namespace echovane::testing
