#include "Commands.h"

namespace echovane::host
{
const std::vector<Command>& allCommands()
{
    static const std::vector<Command> commands{
        { "info",
          "print the plug-in's name, vendor, version, buses, latency and host parameters",
          "echovane-host info BUNDLE",
          runInfo },
        { "state",
          "save the plug-in's state block to a file, or restore one and print the parameters",
          "echovane-host state save BUNDLE FILE [--set ID=VALUE ...]\n"
          "       echovane-host state load BUNDLE FILE\n"
          "  --set ID=VALUE  set a host parameter (by name or VST3 ID) to a normalised value 0..1",
          runState },
    };

    return commands;
}
} // namespace echovane::host
