#include "Render.h"

#include "CommandLine.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>
#include <cmath>

namespace echovane::host
{
TempoPlayHead::TempoPlayHead (double beatsPerMinute, double sampleRate)
    : bpm (beatsPerMinute)
    , rate (sampleRate)
{
}

juce::Optional<juce::AudioPlayHead::PositionInfo> TempoPlayHead::getPosition() const
{
    PositionInfo info;
    info.setBpm (bpm);
    info.setTimeSignature (TimeSignature{ 4, 4 });
    info.setIsPlaying (true);
    info.setTimeInSamples (timeInSamples);

    const auto seconds = rate > 0.0 ? static_cast<double> (timeInSamples) / rate : 0.0;
    info.setTimeInSeconds (seconds);
    info.setPpqPosition (seconds * bpm / 60.0);
    return info;
}

juce::AudioBuffer<float> renderThrough (juce::AudioPluginInstance& plugin, const juce::AudioBuffer<float>& input, const RenderSettings& settings)
{
    TempoPlayHead playHead (settings.bpm, settings.sampleRate);
    const auto pattern = settings.blockPattern.empty() ? std::vector<int>{ settings.blockSize } : settings.blockPattern;

    // JUCE's VST3 hosting sizes its buffers for the prepared block length: no block may exceed it.
    auto longest = 1;

    for (auto length : pattern)
        longest = juce::jmax (longest, length);

    plugin.enableAllBuses();
    plugin.setPlayHead (&playHead);
    plugin.setNonRealtime (true);
    plugin.prepareToPlay (settings.sampleRate, longest);

    const auto numSamples = input.getNumSamples();
    juce::AudioBuffer<float> audio (2, numSamples);

    for (int channel = 0; channel < 2; ++channel)
        audio.copyFrom (channel, 0, input, juce::jmin (channel, input.getNumChannels() - 1), 0, numSamples);

    processInBlocks (plugin, audio, pattern, &playHead);

    plugin.releaseResources();
    plugin.setPlayHead (nullptr);
    return audio;
}

void processInBlocks (juce::AudioPluginInstance& plugin, juce::AudioBuffer<float>& audio, const std::vector<int>& blockPattern, TempoPlayHead* playHead)
{
    if (blockPattern.empty() || std::all_of (blockPattern.begin(), blockPattern.end(), [] (int n)
                                             { return n <= 0; }))
        return;

    int longest = 1;

    for (auto length : blockPattern)
        longest = juce::jmax (longest, length);

    juce::AudioBuffer<float> block (juce::jmax (2, audio.getNumChannels()), longest);
    juce::MidiBuffer midi;
    size_t patternIndex = 0;
    int position = 0;

    while (position < audio.getNumSamples())
    {
        const auto wanted = juce::jmax (0, blockPattern[patternIndex]);
        patternIndex = (patternIndex + 1) % blockPattern.size();
        const auto length = juce::jmin (wanted, audio.getNumSamples() - position);

        block.setSize (audio.getNumChannels(), length, false, false, true);

        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
            block.copyFrom (channel, 0, audio, channel, position, length);

        plugin.processBlock (block, midi);

        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
            audio.copyFrom (channel, position, block, channel, 0, length);

        if (playHead != nullptr)
            playHead->advance (length);

        position += length;
    }
}

juce::AudioBuffer<float> makeSignal (const std::string& name, double sampleRate, int numSamples, double bpm, double frequency)
{
    juce::AudioBuffer<float> signal (2, numSamples);
    signal.clear();

    if (name == "impulse")
    {
        if (numSamples > 0)
            for (int channel = 0; channel < 2; ++channel)
                signal.setSample (channel, 0, 1.0f);
    }
    else if (name == "clicks")
    {
        const auto barSamples = 4.0 * 60.0 / bpm * sampleRate;
        const auto clickSamples = juce::jmax (1, static_cast<int> (0.002 * sampleRate));

        for (int bar = 0; bar * barSamples < numSamples; ++bar)
        {
            const auto start = static_cast<int> (bar * barSamples);

            for (int i = 0; i < clickSamples && start + i < numSamples; ++i)
            {
                // A decaying 2 kHz burst: short enough to hear every repeat on its own.
                const auto t = i / sampleRate;
                const auto value = static_cast<float> (0.8 * std::exp (-t * 2000.0) * std::sin (juce::MathConstants<double>::twoPi * 2000.0 * t + 0.5 * juce::MathConstants<double>::pi));

                for (int channel = 0; channel < 2; ++channel)
                    signal.setSample (channel, start + i, value);
            }
        }
    }
    else if (name == "sine")
    {
        for (int i = 0; i < numSamples; ++i)
        {
            const auto value = static_cast<float> (0.5 * std::sin (juce::MathConstants<double>::twoPi * frequency * i / sampleRate));

            for (int channel = 0; channel < 2; ++channel)
                signal.setSample (channel, i, value);
        }
    }
    else
    {
        throw UsageError ("--signal must be impulse, clicks or sine, got '" + name + "'");
    }

    return signal;
}

void writeFloatWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate)
{
    file.deleteFile();
    auto stream = file.createOutputStream();

    if (stream == nullptr)
        throw CommandFailure ("could not write '" + file.getFullPathName().toStdString() + "'");

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate, static_cast<unsigned int> (audio.getNumChannels()), 32, {}, 0));

    if (writer == nullptr)
        throw CommandFailure ("could not write a 32-bit float WAV at " + juce::String (sampleRate).toStdString() + " Hz");

    stream.release(); // the writer owns it now

    if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()) || ! writer->flush())
        throw CommandFailure ("could not write '" + file.getFullPathName().toStdString() + "'");
}

juce::AudioBuffer<float> readAudioFile (const juce::File& file, double& sampleRate)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));

    if (reader == nullptr)
        throw UsageError ("cannot read audio from '" + file.getFullPathName().toStdString() + "'");

    if (reader->lengthInSamples > std::numeric_limits<int>::max() / 2)
        throw UsageError ("'" + file.getFullPathName().toStdString() + "' is too long");

    const auto numSamples = static_cast<int> (reader->lengthInSamples);
    const auto numChannels = static_cast<int> (juce::jlimit (1u, 2u, reader->numChannels));
    juce::AudioBuffer<float> audio (numChannels, numSamples);

    if (! reader->read (&audio, 0, numSamples, 0, true, numChannels > 1))
        throw UsageError ("cannot read audio from '" + file.getFullPathName().toStdString() + "'");

    sampleRate = reader->sampleRate;
    return audio;
}
} // namespace echovane::host
