#pragma once

#include "engine/DelayNative.h"
#include "engine/ParameterMeaning.h"
#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace echovane::testing
{
/** The "MS" value of a free delay of `samples` samples at `sampleRate`. */
constexpr float msValueOfDelay (int samples, double sampleRate)
{
    return static_cast<float> (samples / sampleRate / static_cast<double> (ParameterMeaning::longestFreeDelaySeconds));
}

/** A play head whose tempo a test sets; an empty optional tempo means the host gives none. */
class ManualPlayHead final : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;

        if (hasBpm)
            info.setBpm (bpm);

        return info;
    }

    double bpm = 120.0;
    bool hasBpm = true;
};

/** One processor, constructed directly, with its buses on and a play head, prepared as a host
    prepares it (rate details first, then prepareToPlay). */
class Engine
{
public:
    explicit Engine (double sampleRate = 48000.0, int blockSize = 512)
    {
        processor.enableAllBuses();
        processor.setPlayHead (&playHead);
        prepare (sampleRate, blockSize);
    }

    void prepare (double sampleRate, int blockSize)
    {
        processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
        processor.prepareToPlay (sampleRate, blockSize);
    }

    juce::AudioProcessorParameter& parameter (const std::string& id)
    {
        for (auto* p : *processor.floatParameters)
            if (p->getParameterID().toStdString() == id)
                return asHostParameter (p);

        for (auto* p : *processor.boolParameters)
            if (p->getParameterID().toStdString() == id)
                return asHostParameter (p);

        throw std::runtime_error ("no parameter " + id);
    }

    Engine& set (const std::string& id, float value)
    {
        parameter (id).setValue (value);
        return *this;
    }

    /** A free delay of exactly `samples` samples at the current rate (MS mode). */
    Engine& freeDelay (int samples)
    {
        set ("TempoChanger", 1.0f);
        return set ("MS", msValueOfDelay (samples, processor.getSampleRate()));
    }

    /** Processes the buffer in place in blocks of the given length. */
    void process (juce::AudioBuffer<float>& audio, int blockSize)
    {
        juce::MidiBuffer midi;

        for (int start = 0; start < audio.getNumSamples(); start += blockSize)
        {
            const auto length = juce::jmin (blockSize, audio.getNumSamples() - start);
            juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), audio.getNumChannels(), start, length);
            processor.processBlock (block, midi);
        }
    }

    void processBlock (juce::AudioBuffer<float>& block)
    {
        juce::MidiBuffer midi;
        processor.processBlock (block, midi);
    }

    /** Runs silence until the per-block smoothing has reached its targets (the 1 % steps take
        some thousand blocks) and the line holds nothing but zeros. */
    void settle (int blocks = 3000, int blockSize = 64)
    {
        juce::AudioBuffer<float> silence (2, blockSize);

        for (int i = 0; i < blocks; ++i)
        {
            silence.clear();
            processBlock (silence);
        }

        clearLineByBypass();
    }

    /** One bypassed block empties the line; the next block is processed normally again. */
    void clearLineByBypass()
    {
        set ("Bypass", 1.0f);
        juce::AudioBuffer<float> block (2, 1);
        block.clear();
        processBlock (block);
        set ("Bypass", 0.0f);
    }

    const DelayProcess& engine() const { return processor.getDelayProcess(); }

    OvelanAudioProcessor processor;
    ManualPlayHead playHead;
};

/** A stereo buffer of silence with an impulse of `value` at `index` in the given channels. */
inline juce::AudioBuffer<float> impulse (int numSamples, int index, float value = 1.0f, bool left = true, bool right = true)
{
    juce::AudioBuffer<float> audio (2, numSamples);
    audio.clear();

    if (left)
        audio.setSample (0, index, value);

    if (right)
        audio.setSample (1, index, value);

    return audio;
}

/** Steady-state gain of a sine through a processing function, measured as the RMS ratio over
    the second half of a long run. */
template<typename Process>
double sineGain (double frequency, double sampleRate, int numSamples, Process&& process)
{
    juce::AudioBuffer<float> audio (2, numSamples);

    for (int i = 0; i < numSamples; ++i)
        for (int channel = 0; channel < 2; ++channel)
            audio.setSample (channel, i, static_cast<float> (0.25 * std::sin (juce::MathConstants<double>::twoPi * frequency * i / sampleRate)));

    juce::AudioBuffer<float> input (audio);
    process (audio);

    const auto start = numSamples / 2;
    return audio.getRMSLevel (0, start, numSamples - start) / input.getRMSLevel (0, start, numSamples - start);
}
} // namespace echovane::testing
