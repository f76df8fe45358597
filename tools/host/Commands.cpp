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
        { "snapshot",
          "draw the plug-in's editor into a PNG file, without a display",
          "echovane-host snapshot BUNDLE --out FILE.png [--size WxH] [--set ID=VALUE ...]\n"
          "  --out FILE.png   where the picture goes\n"
          "  --size WxH       the size the host gives the editor (default: the size it takes itself)\n"
          "  --set ID=VALUE   set a host parameter (by name or VST3 ID) to a normalised value 0..1",
          runSnapshot },
        { "open",
          "open the plug-in's editor in a desktop window through its VST3 view, as a DAW does",
          "echovane-host open BUNDLE [--seconds S]\n"
          "  --seconds S      close the window by itself after S seconds (default: stays open until closed)",
          runOpen },
    };

    return commands;
}
} // namespace echovane::host
