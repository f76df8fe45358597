#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <string>
#include <vector>

namespace echovane::host
{
/** The transport a render plays under: playing from sample 0 at a fixed tempo in 4/4, moved on
    by the renderer after every block. */
class TempoPlayHead final : public juce::AudioPlayHead
{
public:
    explicit TempoPlayHead (double beatsPerMinute, double sampleRate);

    juce::Optional<PositionInfo> getPosition() const override;

    void setBpm (double beatsPerMinute) noexcept { bpm = beatsPerMinute; }
    void advance (int numSamples) noexcept { timeInSamples += numSamples; }

private:
    double bpm;
    double rate;
    juce::int64 timeInSamples = 0;
};

struct RenderSettings
{
    double sampleRate = 48000.0;
    int blockSize = 512;
    double bpm = 120.0;

    /** Lengths of successive blocks, repeated; empty means blockSize throughout. */
    std::vector<int> blockPattern;
};

/** Prepares the plug-in as a host does (buses on, the rate and block size, the play head) and
    runs the whole input through it block by block. The result has the input's length and two
    channels; a mono input feeds both inputs. */
juce::AudioBuffer<float> renderThrough (juce::AudioPluginInstance& plugin, const juce::AudioBuffer<float>& input, const RenderSettings& settings);

/** Runs a stereo buffer through an already prepared plug-in in blocks of the given lengths
    (repeated), advancing the play head if there is one. The plug-in must have been prepared for
    the longest of them; a pattern of nothing but empty blocks processes nothing. */
void processInBlocks (juce::AudioPluginInstance& plugin, juce::AudioBuffer<float>& audio, const std::vector<int>& blockPattern, TempoPlayHead* playHead);

/** The generated test signals, stereo, at the given rate:
    impulse: one full-scale sample at the start;
    clicks: a 2 ms click at the start of every bar of four beats at the tempo;
    sine: a continuous tone of `frequency` Hz at half scale. */
juce::AudioBuffer<float> makeSignal (const std::string& name, double sampleRate, int numSamples, double bpm, double frequency = 440.0);

/** 32-bit float WAV. Throws CommandFailure when the file cannot be written. */
void writeFloatWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate);

/** Any WAV or AIFF file JUCE reads; its rate goes to `sampleRate`. Throws UsageError when the
    file cannot be read. */
juce::AudioBuffer<float> readAudioFile (const juce::File& file, double& sampleRate);
} // namespace echovane::host
