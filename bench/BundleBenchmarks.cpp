// The engine through the built bundle, measured the way peers are: the processing loop only,
// loaded through JUCE's VST3 hosting as a DAW loads it.

#include "PluginLoader.h"

#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
constexpr int lineSeconds = 40;
constexpr int playedSeconds = 60;

/** `seconds` of stereo pink noise (white noise through Paul Kellet's economy filter), the same
    every run. */
juce::AudioBuffer<float> pinkNoise (int seconds)
{
    const auto frames = static_cast<int> (sampleRate) * seconds;
    juce::AudioBuffer<float> noise (2, frames);
    std::mt19937 random (3);
    std::uniform_real_distribution<float> white (-1.0f, 1.0f);

    for (int channel = 0; channel < 2; ++channel)
    {
        float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f;

        for (int i = 0; i < frames; ++i)
        {
            const auto w = white (random);
            b0 = 0.99765f * b0 + w * 0.0990460f;
            b1 = 0.96300f * b1 + w * 0.2965164f;
            b2 = 0.57000f * b2 + w * 1.0526913f;
            noise.setSample (channel, i, 0.1f * (b0 + b1 + b2 + w * 0.1848f));
        }
    }

    return noise;
}

juce::File builtBundle()
{
    return juce::File (ECHOVANE_VST3_BINARY_DIR).getParentDirectory().getParentDirectory();
}

// Each iteration prepares the bundle afresh (another rate, then 48 kHz again, so the line is
// sized anew) and plays 60 s of pink noise through a 500 ms delay with feedback 0.5. The first
// 40 s are the first pass of the write position through the line; the 20 s after it run on a
// warm line. Only the processBlock calls are timed; the iteration's time is the first pass.
void firstPassAgainstWarmThroughTheBundle (benchmark::State& state)
{
    auto plugin = echovane::host::loadBundle (builtBundle(), sampleRate, blockSize);
    plugin->enableAllBuses();
    echovane::host::applyAssignments (*plugin, { "TempoChanger=1", "MS=0.1", "Feedback=0.5", "Mix=0.5" });

    const auto noise = pinkNoise (playedSeconds);
    const auto blocks = noise.getNumSamples() / blockSize;
    const auto firstPassBlocks = static_cast<int> (sampleRate) * lineSeconds / blockSize;
    juce::AudioBuffer<float> audio (2, blockSize);
    juce::MidiBuffer midi;

    double firstPassNs = 0.0, warmNs = 0.0;
    std::int64_t firstPassCount = 0, warmCount = 0;

    for (auto _ : state)
    {
        plugin->prepareToPlay (44100.0, blockSize);
        plugin->prepareToPlay (sampleRate, blockSize);
        double iterationFirstPass = 0.0;

        for (int b = 0; b < blocks; ++b)
        {
            for (int channel = 0; channel < 2; ++channel)
                audio.copyFrom (channel, 0, noise, channel, b * blockSize, blockSize);

            const auto start = std::chrono::steady_clock::now();
            plugin->processBlock (audio, midi);
            benchmark::DoNotOptimize (audio.getReadPointer (0));
            const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;

            if (b < firstPassBlocks)
            {
                iterationFirstPass += elapsed.count();
                ++firstPassCount;
            }
            else
            {
                warmNs += elapsed.count();
                ++warmCount;
            }
        }

        firstPassNs += iterationFirstPass;
        state.SetIterationTime (iterationFirstPass * 1.0e-9);
    }

    plugin->releaseResources();

    const auto firstPassPerBlock = firstPassNs / static_cast<double> (firstPassCount);
    const auto warmPerBlock = warmNs / static_cast<double> (warmCount);
    state.counters["first_pass_us_per_block"] = firstPassPerBlock * 1.0e-3;
    state.counters["warm_us_per_block"] = warmPerBlock * 1.0e-3;
    state.counters["first_pass_x_warm"] = firstPassPerBlock / warmPerBlock;
}
} // namespace

BENCHMARK (firstPassAgainstWarmThroughTheBundle)->UseManualTime()->Unit (benchmark::kMillisecond)->Iterations (5);
