#pragma once

#include "CommandLine.h"

#include <string>
#include <vector>

namespace echovane::host
{
/** One sub-command of echovane-host. `run` gets the arguments after the sub-command's name and
    returns the exit code; it throws UsageError or CommandFailure. */
struct Command
{
    const char* name;
    const char* summary;
    const char* usage;
    int (*run) (const std::vector<std::string>& args);
};

int runInfo (const std::vector<std::string>& args);
int runState (const std::vector<std::string>& args);
int runRender (const std::vector<std::string>& args);
int runSnapshot (const std::vector<std::string>& args);
int runOpen (const std::vector<std::string>& args);

const std::vector<Command>& allCommands();
} // namespace echovane::host
