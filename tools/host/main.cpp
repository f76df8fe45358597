#include "Commands.h"

#include <juce_events/juce_events.h>

#include <iostream>

namespace
{
using echovane::host::allCommands;

void printOverview (std::ostream& out)
{
    out << "echovane-host: loads the Echovane VST3 bundle through JUCE's VST3 hosting\n\n"
           "usage: echovane-host COMMAND [ARGS...]   (echovane-host COMMAND --help for details)\n\ncommands:\n";

    for (const auto& command : allCommands())
        out << "  " << juce::String (command.name).paddedRight (' ', 10) << command.summary << "\n";
}

bool wantsHelp (const std::vector<std::string>& args)
{
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h")
            return true;

    return false;
}

int runCommand (const std::vector<std::string>& args)
{
    // Without a command this is a usage error like any other: one line on stderr, exit code 2.
    if (args.empty())
        throw echovane::host::UsageError ("no command; usage: echovane-host COMMAND [ARGS...] (try --help)");

    if (args.front() == "--help" || args.front() == "-h" || args.front() == "help")
    {
        printOverview (std::cout);
        return 0;
    }

    for (const auto& command : allCommands())
    {
        if (args.front() != command.name)
            continue;

        const std::vector<std::string> rest (args.begin() + 1, args.end());

        if (wantsHelp (rest))
        {
            std::cout << "usage: " << command.usage << "\n\n"
                      << command.summary << "\n";
            return 0;
        }

        return command.run (rest);
    }

    throw echovane::host::UsageError ("unknown command '" + args.front() + "' (try --help)");
}
} // namespace

int main (int argc, char* argv[])
{
    const std::vector<std::string> args (argv + 1, argv + argc);
    int result = 0;

    {
        // Plug-ins expect a message thread; this one is ours.
        const juce::ScopedJuceInitialiser_GUI juceInitialiser;

        try
        {
            result = runCommand (args);
        }
        catch (const echovane::host::UsageError& error)
        {
            std::cerr << "echovane-host: " << error.what() << "\n";
            result = 2;
        }
        catch (const std::exception& error)
        {
            std::cerr << "echovane-host: " << error.what() << "\n";
            result = 1;
        }
    }

    return result;
}
