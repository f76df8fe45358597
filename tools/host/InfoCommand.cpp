#include "Commands.h"
#include "PluginLoader.h"

#include <iostream>

namespace echovane::host
{
int runInfo (const std::vector<std::string>& args)
{
    const CommandArguments arguments (args, {});
    arguments.expectPositionals (1, "echovane-host info BUNDLE");

    auto plugin = loadBundle (bundleArgument (arguments.positional (0, "BUNDLE")));
    std::cout << describePlugin (*plugin) << describeParameters (*plugin);
    return 0;
}
} // namespace echovane::host
