#include "Commands.h"
#include "ComponentState.h"
#include "PluginLoader.h"

#include <iostream>

namespace echovane::host
{
namespace
{
constexpr const char* saveUsage = "echovane-host state save BUNDLE FILE [--set ID=VALUE ...]";
constexpr const char* loadUsage = "echovane-host state load BUNDLE FILE";

int save (const std::vector<std::string>& args)
{
    const CommandArguments arguments (args, {}, { "--set" });
    arguments.expectPositionals (2, saveUsage);
    const auto bundle = bundleArgument (arguments.positional (0, "BUNDLE"));
    const auto file = fileArgument (arguments.positional (1, "FILE"));
    checkAssignmentSyntax (arguments.values ("--set"));

    auto plugin = loadBundle (bundle);
    applyAssignments (*plugin, arguments.values ("--set"));

    const auto state = readComponentState (*plugin);

    if (! replaceFileWith (file, state.getData(), state.getSize()))
        throw CommandFailure ("could not write '" + file.getFullPathName().toStdString() + "'");

    std::cout << "wrote " << state.getSize() << " bytes of state to " << file.getFullPathName() << "\n";
    return 0;
}

int load (const std::vector<std::string>& args)
{
    const CommandArguments arguments (args, {});
    arguments.expectPositionals (2, loadUsage);
    const auto bundle = bundleArgument (arguments.positional (0, "BUNDLE"));
    const auto file = fileArgument (arguments.positional (1, "FILE"));

    juce::MemoryBlock state;

    if (! file.existsAsFile() || ! file.loadFileAsData (state))
        throw UsageError ("cannot read state file '" + arguments.positional (1, "FILE") + "'");

    auto plugin = loadBundle (bundle);
    writeComponentState (*plugin, state);
    std::cout << describeParameters (*plugin);
    return 0;
}
} // namespace

int runState (const std::vector<std::string>& args)
{
    if (args.empty())
        throw UsageError (std::string ("state needs 'save' or 'load'; usage: ") + saveUsage + " | " + loadUsage);

    const std::vector<std::string> rest (args.begin() + 1, args.end());

    if (args.front() == "save")
        return save (rest);

    if (args.front() == "load")
        return load (rest);

    throw UsageError ("unknown state action '" + args.front() + "'; use 'save' or 'load'");
}
} // namespace echovane::host
