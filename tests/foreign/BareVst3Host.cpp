// A bare VST3 host, as many hosts are: no JUCE hosting, only the module's entry points and the
// VST3 interfaces. It opens the plug-in's editor, closes it when told, releases everything and
// unloads the module at once, then lives on for a while: any code of the module still running
// after that would crash it.
//
// usage: echovane_bare_vst3_host MODULE.so GO_FILE (--loopback PORT | --name-server PORT)
//
// The plug-in's update check is led to 127.0.0.1:PORT, or its name lookup to the name server
// at that UDP port. The editor is closed once GO_FILE exists. Each step prints one line.

#include "rawhost/RawVst3Host.h"
#include "support/TestResolver.h"

#include <juce_audio_processors/juce_audio_processors.h>

#define JUCE_VST3HEADERS_INCLUDE_HEADERS_ONLY 1
#include <juce_audio_processors/format_types/juce_VST3Headers.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

using namespace Steinberg;
using echovane::rawhost::HostApplication;
using echovane::rawhost::PluginInstance;
using echovane::rawhost::Vst3Module;

namespace
{
using Clock = std::chrono::steady_clock;

double millisecondsSince (Clock::time_point start)
{
    return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
}

void say (const std::string& line)
{
    std::printf ("%s\n", line.c_str());
    std::fflush (stdout);
}

int fail (const std::string& why)
{
    say ("failed: " + why);
    return 1;
}

bool fileExists (const std::string& path)
{
    return std::ifstream (path).good();
}

bool stillMapped (const std::string& module)
{
    std::ifstream maps ("/proc/self/maps");
    std::string line;

    while (std::getline (maps, line))
        if (line.find (module) != std::string::npos)
            return true;

    return false;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 5)
        return fail ("usage: MODULE.so GO_FILE (--loopback PORT | --name-server PORT)");

    const std::string module = argv[1];
    const std::string goFile = argv[2];
    const std::string how = argv[3];
    const auto port = std::stoi (argv[4]);
    const auto host = echovane::testing::TestResolver::makersHost();

    if (how == "--loopback")
        echovane::testing::TestResolver::answerWithLoopback (host, port);
    else
        echovane::testing::TestResolver::askNameServer (host, port, 30);

    HostApplication application ("Bare VST3 host");
    std::optional<Vst3Module> loaded;
    std::optional<PluginInstance> plugin;

    try
    {
        loaded.emplace (module);
        plugin.emplace (*loaded, &application);
    }
    catch (const std::exception& failure)
    {
        return fail (failure.what());
    }

    auto* view = plugin->controller().createView (Vst::ViewType::kEditor);

    if (view == nullptr)
        return fail ("no editor view");

    say ("opened");

    for (const auto start = Clock::now(); ! fileExists (goFile);)
    {
        if (millisecondsSince (start) > 20000.0)
            return fail ("never told to close");

        std::this_thread::sleep_for (std::chrono::milliseconds (5));
    }

    auto start = Clock::now();
    view->release();
    say ("closed in " + std::to_string (millisecondsSince (start)) + " ms");

    // The host lets go of the plug-in right away, and unloads its module.
    start = Clock::now();
    plugin.reset();
    say ("released in " + std::to_string (millisecondsSince (start)) + " ms");

    start = Clock::now();
    loaded.reset();
    say ("unloaded in " + std::to_string (millisecondsSince (start)) + " ms");
    say (stillMapped (module) ? "still mapped" : "unmapped");

    // Whatever of the module would still run now runs into unmapped code.
    std::this_thread::sleep_for (std::chrono::milliseconds (1500));
    say ("survived");
    return 0;
}
