#include "HostToolWindow.h"

#include "support/JuceAssertions.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

namespace echovane::testing
{
namespace
{
// Long enough for any test; the host closes itself then even if the test never does.
constexpr const char* secondsToStayOpen = "300";
} // namespace

HostToolWindow::HostToolWindow (const std::map<juce::String, juce::String>& environment)
{
    std::vector<std::string> arguments{ ECHOVANE_HOST_PATH, "open", ECHOVANE_BUNDLE_DIR, "--seconds", secondsToStayOpen };

    auto variables = environment;

    for (auto** variable = environ; *variable != nullptr; ++variable)
    {
        const juce::String entry (*variable);
        variables.emplace (entry.upToFirstOccurrenceOf ("=", false, false), entry.fromFirstOccurrenceOf ("=", false, false));
    }

    std::vector<std::string> environmentText;

    for (const auto& [name, value] : variables)
        environmentText.push_back ((name + "=" + value).toStdString());

    std::vector<char*> argv;
    std::vector<char*> envp;

    for (auto& argument : arguments)
        argv.push_back (argument.data());

    for (auto& variable : environmentText)
        envp.push_back (variable.data());

    argv.push_back (nullptr);
    envp.push_back (nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init (&files);
    const auto logPath = logFile.getFile().getFullPathName().toStdString();
    posix_spawn_file_actions_addopen (&files, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2 (&files, STDOUT_FILENO, STDERR_FILENO);

    pid_t child = -1;

    if (posix_spawn (&child, argv[0], &files, nullptr, argv.data(), envp.data()) == 0)
        pid = child;

    posix_spawn_file_actions_destroy (&files);
}

HostToolWindow::~HostToolWindow()
{
    if (pid > 0)
    {
        ::kill (pid, SIGKILL);
        ::waitpid (pid, nullptr, 0);
    }
}

bool HostToolWindow::close()
{
    if (pid <= 0)
        return false;

    ::kill (pid, SIGTERM);
    int status = 0;
    pid_t ended = 0;

    // The host answers within moments; a bound keeps a hung one from hanging the test.
    pumpUntil ([&]
               { return (ended = ::waitpid (pid, &status, WNOHANG)) != 0; },
               30000);

    if (ended != pid)
        return false;

    pid = -1;
    return WIFEXITED (status) && WEXITSTATUS (status) == 0;
}

juce::String HostToolWindow::log() const
{
    return withoutToleratedReports (logFile.getFile().loadFileAsString(), "echovane-host open");
}

juce::String HostToolWindow::lineStartingWith (const juce::String& start) const
{
    for (const auto& line : juce::StringArray::fromLines (log()))
        if (line.startsWith (start))
            return line;

    return {};
}

std::optional<double> HostToolWindow::closingValueOf (const juce::String& parameterName) const
{
    // "   3  id 12345       Feedback       default 0.2200000  value 0.4400000  "44 %""
    for (const auto& line : juce::StringArray::fromLines (log()))
    {
        auto words = juce::StringArray::fromTokens (line, " ", "\"");
        words.removeEmptyStrings();

        if (words.size() < 4 || ! words[0].containsOnly ("0123456789") || words[3] != parameterName)
            continue;

        const auto value = words.indexOf ("value");

        if (value >= 0 && value + 1 < words.size())
            return words[value + 1].getDoubleValue();
    }

    return std::nullopt;
}
} // namespace echovane::testing
