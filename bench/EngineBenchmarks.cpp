#include "engine/DelayNative.h"
#include "engine/PluginProcessor.h"

#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <vector>

namespace
{
constexpr double rates[] = { 44100.0, 48000.0, 96000.0 };

class FixedTempo final : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (120.0);
        return info;
    }
};

void fillNoise (juce::AudioBuffer<float>& buffer)
{
    std::mt19937 random (1);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (channel, i, uniform (random));
}

/** The floor: a stereo 40-second line with a circular write, a linearly interpolated read at a
    fractional delay, feedback and a plain mix, and nothing else. */
class ReferenceDelay
{
public:
    explicit ReferenceDelay (double sampleRate)
        : length (static_cast<int> (sampleRate) * 40)
        , delay (static_cast<float> (0.5 * sampleRate) + 0.25f)
    {
        for (auto& channel : line)
            channel.assign (static_cast<size_t> (length), 0.0f);
    }

    void process (float* left, float* right, int numSamples) noexcept
    {
        float* io[2] = { left, right };
        auto* line0 = line[0].data();
        auto* line1 = line[1].data();
        float* lines[2] = { line0, line1 };
        auto index = writeIndex;

        for (int i = 0; i < numSamples; ++i)
        {
            auto position = static_cast<float> (index) - delay;

            if (position < 0.0f)
                position += static_cast<float> (length);

            const auto j = static_cast<int> (position);
            const auto fraction = position - static_cast<float> (j);
            const auto j1 = j + 1 == length ? 0 : j + 1;

            for (size_t ch = 0; ch < 2; ++ch)
            {
                const auto x = io[ch][i];
                const auto d = lines[ch][j] + (lines[ch][j1] - lines[ch][j]) * fraction;
                lines[ch][index] = x + d * 0.22f;
                io[ch][i] = 0.5f * x + 0.5f * d;
            }

            if (++index == length)
                index = 0;
        }

        writeIndex = index;
    }

private:
    int length;
    float delay;
    std::vector<float> line[2];
    int writeIndex = 0;
};

double floorNanosecondsPerFrame (double sampleRate, int blockSize, std::int64_t frames)
{
    ReferenceDelay reference (sampleRate);
    juce::AudioBuffer<float> buffer (2, blockSize);
    fillNoise (buffer);

    const auto blocks = std::max<std::int64_t> (1, frames / blockSize);
    const auto start = std::chrono::steady_clock::now();

    for (std::int64_t b = 0; b < blocks; ++b)
    {
        reference.process (buffer.getWritePointer (0), buffer.getWritePointer (1), blockSize);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / static_cast<double> (blocks * blockSize);
}

enum Mode
{
    synced = 0,
    free = 1,
    syncedDriven = 2
};

// Arguments: rate index, block length, mode.
void processBlockPerFrame (benchmark::State& state)
{
    const auto sampleRate = rates[state.range (0)];
    const auto blockSize = static_cast<int> (state.range (1));
    const auto mode = static_cast<Mode> (state.range (2));

    OvelanAudioProcessor processor;
    FixedTempo tempo;
    processor.enableAllBuses();
    processor.setPlayHead (&tempo);
    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);

    const auto host = [&] (size_t index) -> juce::AudioProcessorParameter&
    { return asHostParameter (processor.floatParameters->at (index)); };
    asHostParameter (processor.boolParameters->at (2)).setValue (mode == free ? 1.0f : 0.0f);

    if (mode == syncedDriven)
        host (5).setValue (0.5f);

    processor.prepareToPlay (sampleRate, blockSize);

    juce::AudioBuffer<float> buffer (2, blockSize);
    fillNoise (buffer);
    juce::MidiBuffer midi;

    // Fill the line and let the smoothing settle before timing.
    for (int i = 0; i < 200; ++i)
        processor.processBlock (buffer, midi);

    const auto start = std::chrono::steady_clock::now();

    for (auto _ : state)
    {
        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
    const auto frames = static_cast<std::int64_t> (state.iterations()) * blockSize;
    const auto engine = elapsed.count() / static_cast<double> (frames);
    const auto floor = floorNanosecondsPerFrame (sampleRate, blockSize, std::min<std::int64_t> (frames, 20'000'000));

    state.SetItemsProcessed (frames);
    state.counters["ns_per_frame"] = engine;
    state.counters["floor_ns"] = floor;
    state.counters["x_floor"] = engine / floor;
}

void referencePerFrame (benchmark::State& state)
{
    const auto sampleRate = rates[state.range (0)];
    const auto blockSize = static_cast<int> (state.range (1));
    ReferenceDelay reference (sampleRate);
    juce::AudioBuffer<float> buffer (2, blockSize);
    fillNoise (buffer);

    for (auto _ : state)
    {
        reference.process (buffer.getWritePointer (0), buffer.getWritePointer (1), blockSize);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    state.SetItemsProcessed (static_cast<std::int64_t> (state.iterations()) * blockSize);
    state.counters["ns_per_frame"] = benchmark::Counter (static_cast<double> (state.iterations()) * blockSize, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void engineArguments (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "rate", "block", "mode" });

    for (int rate = 0; rate < 3; ++rate)
        for (const auto block : { 32, 512, 4096 })
            for (const auto mode : { synced, free })
                b->Args ({ rate, block, mode });

    b->Args ({ 1, 512, syncedDriven });
}

void referenceArguments (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "rate", "block" });

    for (int rate = 0; rate < 3; ++rate)
        for (const auto block : { 32, 512, 4096 })
            b->Args ({ rate, block });
}
} // namespace

BENCHMARK (processBlockPerFrame)->Apply (engineArguments)->Unit (benchmark::kMicrosecond);
BENCHMARK (referencePerFrame)->Apply (referenceArguments)->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    // rate 0, 1, 2 are 44.1, 48 and 96 kHz; mode 0 synced, 1 free (milliseconds), 2 synced with Drive.
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
