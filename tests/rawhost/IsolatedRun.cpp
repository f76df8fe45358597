#include "IsolatedRun.h"

#include "support/JuceAssertions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace echovane::rawhost
{
namespace
{
void writeAll (int fd, const std::string& text)
{
    size_t written = 0;

    while (written < text.size())
    {
        const auto count = ::write (fd, text.data() + written, text.size() - written);

        if (count <= 0 && errno != EINTR)
            return;

        if (count > 0)
            written += static_cast<size_t> (count);
    }
}

std::string readAll (int fd)
{
    std::string text;
    char buffer[4096];

    for (;;)
    {
        const auto count = ::read (fd, buffer, sizeof (buffer));

        if (count > 0)
            text.append (buffer, static_cast<size_t> (count));
        else if (count == 0 || errno != EINTR)
            return text;
    }
}

[[noreturn]] void runChild (const std::function<void (ChildReport&)>& check, unsigned watchdogSeconds, int reportFd, int errorFd)
{
    ::dup2 (errorFd, STDERR_FILENO);
    ::close (errorFd);
    ::alarm (watchdogSeconds);

    ChildReport report (reportFd);

    try
    {
        check (report);
    }
    catch (const std::exception& e)
    {
        report.problem (std::string ("an exception reached the host: ") + e.what());
    }
    catch (...)
    {
        report.problem ("an exception of unknown type reached the host");
    }

    std::fflush (stderr);
    // No exit handlers: they belong to the test runner, which the parent still is.
    ::_exit (report.anyProblem() ? EXIT_FAILURE : EXIT_SUCCESS);
}

constexpr const char* stepMark = "step ";
constexpr const char* problemMark = "problem ";

std::string describeStatus (int status)
{
    if (WIFSIGNALED (status))
    {
        const auto signal = WTERMSIG (status);
        return std::string ("killed by signal ") + std::to_string (signal) + " (" + ::strsignal (signal) + ")"
            + (signal == SIGALRM ? ", the watchdog: it hung" : "");
    }

    if (WIFEXITED (status) && WEXITSTATUS (status) != EXIT_SUCCESS && WEXITSTATUS (status) != EXIT_FAILURE)
        return "exited with code " + std::to_string (WEXITSTATUS (status));

    return {};
}
} // namespace

namespace
{
/** One report entry is one line. */
std::string oneLine (std::string text)
{
    std::replace (text.begin(), text.end(), '\n', ' ');
    return text;
}
} // namespace

void ChildReport::step (const std::string& name)
{
    writeAll (reportFd, stepMark + oneLine (name) + '\n');
}

void ChildReport::problem (const std::string& text)
{
    ++problemCount;
    writeAll (reportFd, problemMark + oneLine (text) + '\n');
}

IsolatedOutcome runIsolated (const std::function<void (ChildReport&)>& check, unsigned watchdogSeconds)
{
    IsolatedOutcome outcome;
    int report[2];
    char errorPath[] = "/tmp/echovane-rawhost-XXXXXX";
    const auto errorFd = ::mkstemp (errorPath);

    if (errorFd < 0 || ::pipe (report) != 0)
    {
        outcome.death = "could not start the child process";
        return outcome;
    }

    std::fflush (nullptr);
    const auto child = ::fork();

    if (child == 0)
    {
        ::close (report[0]);
        runChild (check, watchdogSeconds, report[1], errorFd);
    }

    ::close (report[1]);
    ::close (errorFd);

    if (child < 0)
    {
        ::close (report[0]);
        ::unlink (errorPath);
        outcome.death = "fork failed";
        return outcome;
    }

    const auto reportText = readAll (report[0]);
    ::close (report[0]);

    int status = 0;

    while (::waitpid (child, &status, 0) < 0 && errno == EINTR)
    {
    }

    outcome.death = describeStatus (status);

    size_t start = 0;

    while (start < reportText.size())
    {
        const auto end = reportText.find ('\n', start);
        const auto line = reportText.substr (start, end - start);
        start = end == std::string::npos ? reportText.size() : end + 1;

        if (line.rfind (stepMark, 0) == 0)
            outcome.lastStep = line.substr (std::strlen (stepMark));
        else if (line.rfind (problemMark, 0) == 0)
            outcome.problems.push_back (line.substr (std::strlen (problemMark)));
        else
            outcome.problems.push_back ("the report was cut: " + line);
    }

    if (const auto errorInput = ::open (errorPath, O_RDONLY); errorInput >= 0)
    {
        outcome.errorOutput = readAll (errorInput);
        ::close (errorInput);
    }

    ::unlink (errorPath);
    return outcome;
}

void expectCleanOutcome (const IsolatedOutcome& outcome, const std::string& what)
{
    EXPECT_TRUE (outcome.death.empty()) << what << ": the host process was " << outcome.death
                                        << (outcome.lastStep.empty() ? "" : " during: " + outcome.lastStep);

    for (const auto& problem : outcome.problems)
        ADD_FAILURE() << what << ": " << problem;

    if (! outcome.errorOutput.empty())
    {
        const auto checked = echovane::testing::checkedOutput (juce::String::fromUTF8 (outcome.errorOutput.c_str()), juce::String (what) + " (the loaded bundle)");
        std::fprintf (stderr, "%s\n", checked.toRawUTF8());
    }
}
} // namespace echovane::rawhost
