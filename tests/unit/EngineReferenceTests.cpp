#include "EngineFixture.h"

#include <juce_dsp/juce_dsp.h>

#include <cstring>
#include <random>

namespace
{
using echovane::testing::ManualPlayHead;

/** The engine's arithmetic written out step by step, the plain way: JUCE's own coefficient
    objects, the division by a0 on every sample, tanhf on every sample, the remainder taken with
    integers, one channel of one filter at a time and one mixer FIFO big enough for any block.
    The engine must give the same samples, to the bit. */
class ReferenceEcho
{
public:
    ReferenceEcho (OvelanAudioProcessor& processor, double sampleRate, int blockSize, int longestBlock)
        : floats (*processor.floatParameters)
        , bools (*processor.boolParameters)
        , balance (floats[ParameterIndex::balance]->get())
        , width (2.0f * floats[ParameterIndex::width]->get())
        , feedback (floats[ParameterIndex::feedback]->get())
        , mix (floats[ParameterIndex::mix]->get())
    {
        rateInt = static_cast<int> (static_cast<float> (sampleRate));
        length = 40 * rateInt;
        line[0].assign (static_cast<size_t> (length), 0.0f);
        line[1].assign (static_cast<size_t> (length), 0.0f);
        designRate = sampleRate;
        drive.reset (0);
        drive.setCurrentAndTargetValue (floats[ParameterIndex::drive]->get());
        lastDrive = floats[ParameterIndex::drive]->get();
        mixer.reset();
        mixer.prepare ({ sampleRate, static_cast<juce::uint32> (longestBlock), 2 });
        mixer.setWetLatency (0.0f);
        mixer.setMixingRule (juce::dsp::DryWetMixingRule::linear);

        // The measured block of the preparation.
        juce::AudioBuffer<float> silence (2, blockSize);
        silence.clear();
        process (silence, 120.0);
    }

    void process (juce::AudioBuffer<float>& buffer, double bpm)
    {
        const juce::ScopedNoDenormals noDenormals;
        const auto n = buffer.getNumSamples();

        balance += (floats[ParameterIndex::balance]->get() - balance) * 0.01f;
        const auto currentDrive = drive.getNextValue();

        if (floats[ParameterIndex::drive]->get() != lastDrive)
        {
            lastDrive = floats[ParameterIndex::drive]->get();
            drive.setTargetValue (lastDrive);
        }

        width += (2.0f * floats[ParameterIndex::width]->get() - width) * 0.01f;
        feedback += (floats[ParameterIndex::feedback]->get() - feedback) * 0.01f;
        mix += (floats[ParameterIndex::mix]->get() - mix) * 0.1f;

        std::vector<float> wet[2] = { std::vector<float> (static_cast<size_t> (n)), std::vector<float> (static_cast<size_t> (n)) };
        const auto beatSeconds = static_cast<double> (60.0f / static_cast<float> (bpm));

        for (int i = 0; i < n; ++i)
        {
            float delayTimeMs;

            if (bools[ParameterIndex::tempoChanger]->get())
            {
                delayTimeMs = floats[ParameterIndex::ms]->get() * ParameterMeaning::longestFreeDelaySeconds * 1000.0f;
            }
            else
            {
                const auto p = ParameterMeaning::noteIndexOf (floats[ParameterIndex::sync]->get());
                const auto base = 1.0 / (64.0 / std::ldexp (1.0, p));

                if (bools[ParameterIndex::triplet]->get())
                    delayTimeMs = static_cast<float> (base * 4.0 * static_cast<double> (2.0f / 3.0f) * 1000.0 * beatSeconds);
                else if (bools[ParameterIndex::dotted]->get())
                    delayTimeMs = static_cast<float> (base * 4.0 * 1000.0 * 1.5 * beatSeconds);
                else
                    delayTimeMs = static_cast<float> (base * 4.0 * 1000.0 * beatSeconds);
            }

            auto readPosition = (delayTimeMs / -1000.0f) * static_cast<float> (rateInt) + static_cast<float> (writeIndex);

            if (readPosition < 0.0f)
            {
                if (std::abs (readPosition) < static_cast<float> (length))
                    readPosition += static_cast<float> (length);
                else
                    readPosition = static_cast<float> (length - (std::abs (static_cast<int> (readPosition)) % length));
            }

            float d[2], s[2];

            for (size_t ch = 0; ch < 2; ++ch)
                line[ch][static_cast<size_t> (writeIndex)] = state[ch] + buffer.getSample (static_cast<int> (ch), i);

            for (size_t ch = 0; ch < 2; ++ch)
            {
                auto j = static_cast<int> (std::trunc (readPosition));

                if (j == length)
                    j = 0;

                const auto j1 = j + 1 == length ? 0 : j + 1;
                const auto f = readPosition - std::trunc (readPosition);
                const auto& l = line[ch];
                d[ch] = l[static_cast<size_t> (j)] + (l[static_cast<size_t> (j1)] - l[static_cast<size_t> (j)]) * f;
                state[ch] = d[ch] * feedback + buffer.getSample (static_cast<int> (ch), i);
                s[ch] = std::tanh (d[ch] * 6.0f) * currentDrive + d[ch] * (1.0f - currentDrive);
            }

            const auto g = static_cast<float> (1.0 / std::max (static_cast<double> (1.0f + width), 2.0));
            const auto m = (s[0] + s[1]) * g;
            const auto side = (s[1] - s[0]) * (width * g);
            wet[0][static_cast<size_t> (i)] = (1.0f - balance) * (m - side);
            wet[1][static_cast<size_t> (i)] = balance * (m + side);

            if (++writeIndex == length)
                writeIndex = 0;
        }

        const auto fs = static_cast<float> (designRate);
        const auto low = juce::dsp::IIR::Coefficients<float>::makeLowPass (designRate, std::min ((1.0f - floats[ParameterIndex::dark]->get()) * 19800.0f + 400.0f, fs * 0.49f), 0.5f);
        const auto high = juce::dsp::IIR::Coefficients<float>::makeHighPass (designRate, std::min (floats[ParameterIndex::bright]->get() * 2500.0f + 20.0f, fs * 0.49f), 0.5f);
        const auto factor = std::min (0.3f * static_cast<float> (designRate / 44100.0), 0.9f);

        lowFilter.ease (*low, factor);
        highFilter.ease (*high, factor);

        for (size_t ch = 0; ch < 2; ++ch)
            lowFilter.run (wet[ch], ch);

        for (size_t ch = 0; ch < 2; ++ch)
            highFilter.run (wet[ch], ch);

        float* wetChannels[2] = { wet[0].data(), wet[1].data() };
        mixer.setWetMixProportion (1.0f - mix);

        if (n > 0)
        {
            mixer.pushDrySamples (juce::dsp::AudioBlock<float> (wetChannels, 2, static_cast<size_t> (n)));
            mixer.mixWetSamples (juce::dsp::AudioBlock<float> (buffer).getSubsetChannelBlock (0, 2));
        }
    }

private:
    struct Filter
    {
        void ease (const juce::dsp::IIR::Coefficients<float>& target, float a)
        {
            const auto* c = target.coefficients.begin();
            const float t[6] = { 1.0f, c[3], c[4], c[0], c[1], c[2] };

            for (size_t k = 0; k < 6; ++k)
            {
                previous[k] = current[k];
                current[k] = current[k] * a + t[k] * (1.0f - a);
            }
        }

        void run (std::vector<float>& samples, size_t ch)
        {
            const auto n = static_cast<int> (samples.size());
            double step[6], coefficient[6];

            for (size_t k = 0; k < 6; ++k)
            {
                step[k] = static_cast<double> ((current[k] - previous[k]) / static_cast<float> (n));
                coefficient[k] = previous[k];
            }

            auto* s = xy[ch];

            for (auto& x : samples)
            {
                for (size_t k = 0; k < 6; ++k)
                    coefficient[k] += step[k];

                const auto y = (coefficient[3] * x + coefficient[4] * s[0] + coefficient[5] * s[1] - coefficient[1] * s[2] - coefficient[2] * s[3]) / coefficient[0];
                s[1] = s[0];
                s[0] = x;
                s[3] = s[2];
                s[2] = static_cast<float> (y);
                x = static_cast<float> (y);
            }
        }

        float current[6] = { 1, 0, 0, 1, 0, 0 };
        float previous[6] = { 1, 0, 0, 1, 0, 0 };
        float xy[2][4] = {};
    };

    std::vector<FloatParameter*>& floats;
    std::vector<BoolParameter*>& bools;
    float balance, width, feedback, mix;
    int rateInt = 0, length = 0, writeIndex = 0;
    double designRate = 44100.0;
    std::vector<float> line[2];
    float state[2] = { 0.0f, 0.0f };
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> drive{ 0.0f };
    float lastDrive = 0.0f;
    juce::dsp::DryWetMixer<float> mixer;
    Filter lowFilter, highFilter;
};

struct ReferenceCase
{
    double sampleRate;
    int blockSize;
    unsigned seed;
};

class AgainstTheWrittenOutEngine : public ::testing::TestWithParam<ReferenceCase>
{
};

TEST_P (AgainstTheWrittenOutEngine, EverySampleToTheBit)
{
    const auto& c = GetParam();
    constexpr int longest = 70000; // longer than a second at 48 kHz and than the mixer's chunks

    OvelanAudioProcessor processor;
    ManualPlayHead playHead;
    processor.enableAllBuses();
    processor.setPlayHead (&playHead);
    processor.setRateAndBufferSizeDetails (c.sampleRate, c.blockSize);

    // Both start from the parameters' values as they are now.
    ReferenceEcho reference (processor, c.sampleRate, c.blockSize, longest);
    processor.prepareToPlay (c.sampleRate, c.blockSize);

    std::mt19937 random (c.seed);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    std::uniform_real_distribution<float> signal (-1.0f, 1.0f);
    const int lengths[] = { 0, 1, 17, 64, 512, 513, 3000, longest };
    const auto setFloat = [&] (size_t index, float value)
    { asHostParameter (processor.floatParameters->at (index)).setValue (value); };
    const auto setBool = [&] (size_t index, bool on)
    { asHostParameter (processor.boolParameters->at (index)).setValue (on ? 1.0f : 0.0f); };

    juce::MidiBuffer midi;
    size_t compared = 0;

    for (int block = 0; block < 120; ++block)
    {
        // New settings most blocks; a Drive of exactly 0 half the time.
        if (block % 4 != 3)
        {
            for (size_t i = 0; i < 9; ++i)
                setFloat (i, unit (random));

            setFloat (2, 0.95f * unit (random));
            setFloat (5, unit (random) < 0.5f ? 0.0f : unit (random));
            setFloat (8, 0.2f * unit (random)); // up to one second, so the repeats come within the run
            setBool (1, unit (random) < 0.3f);
            setBool (2, unit (random) < 0.4f);
            setBool (3, unit (random) < 0.3f);
            setFloat (1, 0.75f * unit (random));
        }

        playHead.bpm = 60.0 + 140.0 * unit (random);

        const auto n = lengths[static_cast<size_t> (unit (random) * 7.999f)];
        juce::AudioBuffer<float> audio (2, n);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < n; ++i)
                audio.setSample (ch, i, block < 80 ? signal (random) : 0.0f);

        juce::AudioBuffer<float> expected (audio);
        reference.process (expected, playHead.bpm);
        processor.processBlock (audio, midi);

        // Proves the optimised engine computes exactly the written-out arithmetic; not that this arithmetic is the right sound (the timing, filter and mix tests judge that).
        for (int ch = 0; ch < 2; ++ch)
            ASSERT_EQ (std::memcmp (audio.getReadPointer (ch), expected.getReadPointer (ch), sizeof (float) * static_cast<size_t> (n)), 0)
                << "block " << block << " of " << n << " samples, channel " << ch;

        compared += static_cast<size_t> (n);
    }

    EXPECT_GT (compared, static_cast<size_t> (100000));
}

INSTANTIATE_TEST_SUITE_P (Rates,
                          AgainstTheWrittenOutEngine,
                          ::testing::Values (ReferenceCase{ 48000.0, 512, 1 }, ReferenceCase{ 44100.0, 64, 2 }, ReferenceCase{ 96000.0, 4096, 3 }, ReferenceCase{ 22050.0, 256, 4 }));
} // namespace
