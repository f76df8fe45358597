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
        { "render",
          "render audio through the plug-in at a host tempo and write it as a 32-bit float WAV",
          "echovane-host render BUNDLE --out OUT.wav [--in IN.wav | --signal impulse|clicks|sine] [--seconds S]\n"
          "                     [--rate R] [--block N] [--bpm B] [--freq HZ] [--set ID=VALUE ...]\n"
          "  --out OUT.wav    where the rendered stereo audio goes (32-bit float WAV)\n"
          "  --in IN.wav      audio to process (WAV or AIFF; mono feeds both inputs); its rate is used\n"
          "  --signal NAME    a generated input instead: impulse (default), clicks (one 2 ms click per\n"
          "                   bar of four beats) or sine (a continuous tone at half scale)\n"
          "  --seconds S      length of the render: default 4 with --signal; with --in, pads the input\n"
          "                   with silence up to S seconds\n"
          "  --rate R         sample rate, 1000 to 768000 (default 48000, or the input's)\n"
          "  --block N        host block length, 1 to 65536 (default 512)\n"
          "  --bpm B          host tempo given through the play head, 1 to 999 (default 120)\n"
          "  --freq HZ        frequency of --signal sine (default 440)\n"
          "  --set ID=VALUE   set a host parameter (by name or VST3 ID) to a normalised value 0..1",
          runRender },
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
          "  --seconds S      close the window by itself after S seconds (default: stays open until closed)\n"
          "  On closing it prints the host parameters as the editor left them.",
          runOpen },
    };

    return commands;
}
} // namespace echovane::host
