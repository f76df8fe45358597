#include "Commands.h"
#include "PluginLoader.h"
#include "Render.h"

#include <iostream>

namespace echovane::host
{
namespace
{
constexpr const char* renderUsage = "echovane-host render BUNDLE --out OUT.wav [--in IN.wav | --signal impulse|clicks|sine] [--seconds S] "
                                    "[--rate R] [--block N] [--bpm B] [--freq HZ] [--set ID=VALUE ...]";
} // namespace

int runRender (const std::vector<std::string>& args)
{
    const CommandArguments arguments (args, { "--out", "--in", "--signal", "--seconds", "--rate", "--block", "--bpm", "--freq" }, { "--set" });
    arguments.expectPositionals (1, renderUsage);

    const auto bundle = bundleArgument (arguments.positional (0, "BUNDLE"));

    if (! arguments.has ("--out"))
        throw UsageError (std::string ("render needs --out OUT.wav; usage: ") + renderUsage);

    const auto outFile = fileArgument (arguments.value ("--out"));

    if (arguments.has ("--in") && arguments.has ("--signal"))
        throw UsageError ("give either --in or --signal, not both");

    if (arguments.has ("--in") && arguments.has ("--freq"))
        throw UsageError ("--freq applies to --signal sine only");

    RenderSettings settings;
    settings.blockSize = arguments.integer ("--block", 512, 1, 65536);
    settings.bpm = arguments.number ("--bpm", 120.0, 1.0, 999.0);
    checkAssignmentSyntax (arguments.values ("--set"));

    juce::AudioBuffer<float> input;

    if (arguments.has ("--in"))
    {
        const auto inFile = fileArgument (arguments.value ("--in"));

        if (! inFile.existsAsFile())
            throw UsageError ("no input file '" + arguments.value ("--in") + "'");

        double fileRate = 0.0;
        input = readAudioFile (inFile, fileRate);
        settings.sampleRate = arguments.number ("--rate", fileRate, 1000.0, 768000.0);

        if (settings.sampleRate != fileRate)
            throw UsageError ("'" + arguments.value ("--in") + "' is at " + juce::String (fileRate).toStdString()
                              + " Hz; leave out --rate or give that rate");

        // --seconds lengthens the input with silence, so that the repeats can ring out.
        const auto seconds = arguments.number ("--seconds", 0.0, 0.0, 600.0);
        const auto wanted = static_cast<int> (seconds * settings.sampleRate);

        if (wanted > input.getNumSamples())
            input.setSize (input.getNumChannels(), wanted, true, true);
    }
    else
    {
        settings.sampleRate = arguments.number ("--rate", 48000.0, 1000.0, 768000.0);
        const auto seconds = arguments.number ("--seconds", 4.0, 0.001, 600.0);
        const auto frequency = arguments.number ("--freq", 440.0, 1.0, settings.sampleRate / 2.0);
        input = makeSignal (arguments.value ("--signal", "impulse"), settings.sampleRate, static_cast<int> (seconds * settings.sampleRate), settings.bpm, frequency);
    }

    auto plugin = loadBundle (bundle, settings.sampleRate, settings.blockSize);
    applyAssignments (*plugin, arguments.values ("--set"));

    const auto output = renderThrough (*plugin, input, settings);
    writeFloatWav (outFile, output, settings.sampleRate);

    const auto peak = output.getMagnitude (0, output.getNumSamples());
    std::cout << "wrote " << output.getNumSamples() << " samples x 2 channels at " << settings.sampleRate << " Hz, " << settings.bpm
              << " bpm, blocks of " << settings.blockSize << ", peak " << juce::Decibels::toString (juce::Decibels::gainToDecibels (peak)) << ", to "
              << outFile.getFullPathName() << "\n";
    return 0;
}
} // namespace echovane::host
