#include "Commands.h"
#include "PluginLoader.h"

#include <iostream>

namespace echovane::host
{
int runInfo (const std::vector<std::string>& args)
{
    const CommandArguments arguments (args, {});
    arguments.expectPositionals (1, "echovane-host info BUNDLE");

    const auto sampleRate = 48000.0;
    const auto blockSize = 512;
    auto plugin = loadBundle (bundleArgument (arguments.positional (0, "BUNDLE")), sampleRate, blockSize);

    // The plug-in states its latency when it is prepared, so prepare it as a host would.
    plugin->prepareToPlay (sampleRate, blockSize);
    std::cout << describePlugin (*plugin) << describeParameters (*plugin);
    plugin->releaseResources();
    return 0;
}
} // namespace echovane::host
