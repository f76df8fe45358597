#include "engine/DelayNative.h"
#include "engine/PluginProcessor.h"

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

/** Fresh, bounded input for every block: a second of noise read round and round. The block is
    processed in place, so feeding its own output back would time numbers running off to infinity
    and NaN rather than audio. Both the engine and the floor pay the same copy. */
class NoiseSource
{
public:
    explicit NoiseSource (double sampleRate)
        : noise (2, static_cast<int> (sampleRate))
    {
        std::mt19937 random (1);
        std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < noise.getNumSamples(); ++i)
                noise.setSample (channel, i, uniform (random));
    }

    void fill (juce::AudioBuffer<float>& block)
    {
        const auto n = block.getNumSamples();

        if (position + n > noise.getNumSamples())
            position = 0;

        for (int channel = 0; channel < 2; ++channel)
            block.copyFrom (channel, 0, noise, channel, position, n);

        position += n;
    }

private:
    juce::AudioBuffer<float> noise;
    int position = 0;
};

/** The floor: a stereo 40-second line with a circular write, a linearly interpolated read at a
    fractional delay, feedback and a plain mix, and nothing else. */
class ReferenceDelay
{
public:
    explicit ReferenceDelay (double sampleRate)
        : length (static_cast<int> (sampleRate) * 40)
        , delay (static_cast<float> (0.5 * sampleRate) + 0.25f)
    {
        // Written through once, as the engine's preparation writes its line: no page is left to
        // be mapped while timing.
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
    NoiseSource source (sampleRate);
    juce::AudioBuffer<float> buffer (2, blockSize);

    const auto blocks = std::max<std::int64_t> (1, frames / blockSize);
    const auto start = std::chrono::steady_clock::now();

    for (std::int64_t b = 0; b < blocks; ++b)
    {
        source.fill (buffer);
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
    asHostParameter (processor.boolParameters->at (ParameterIndex::tempoChanger)).setValue (mode == free ? 1.0f : 0.0f);

    if (mode == syncedDriven)
        host (ParameterIndex::drive).setValue (0.5f);

    processor.prepareToPlay (sampleRate, blockSize);

    NoiseSource source (sampleRate);
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;

    // Let the smoothing settle before timing.
    for (int i = 0; i < 200; ++i)
    {
        source.fill (buffer);
        processor.processBlock (buffer, midi);
    }

    const auto start = std::chrono::steady_clock::now();

    for (auto _ : state)
    {
        source.fill (buffer);
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
    NoiseSource source (sampleRate);
    juce::AudioBuffer<float> buffer (2, blockSize);

    for (auto _ : state)
    {
        source.fill (buffer);
        reference.process (buffer.getWritePointer (0), buffer.getWritePointer (1), blockSize);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    state.SetItemsProcessed (static_cast<std::int64_t> (state.iterations()) * blockSize);
    state.counters["ns_per_frame"] = benchmark::Counter (static_cast<double> (state.iterations()) * blockSize, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

/** A processor with its buses, a tempo and the given block length, not yet prepared. */
struct BenchProcessor
{
    explicit BenchProcessor (double sampleRate, int blockSize)
    {
        processor.enableAllBuses();
        processor.setPlayHead (&tempo);
        processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    }

    OvelanAudioProcessor processor;
    FixedTempo tempo;
};

// The first seconds after a preparation, as a host plays right after it prepares: every page of
// the line must already be mapped, so the cost per frame is the steady one.
// Arguments: rate index, seconds.
void firstSecondsAfterPreparation (benchmark::State& state)
{
    const auto sampleRate = rates[state.range (0)];
    constexpr int blockSize = 512;
    const auto blocks = static_cast<int> (state.range (1) * static_cast<std::int64_t> (sampleRate)) / blockSize;

    NoiseSource source (sampleRate);
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    std::int64_t frames = 0;
    double nanoseconds = 0.0;

    for (auto _ : state)
    {
        state.PauseTiming();
        auto bench = std::make_unique<BenchProcessor> (sampleRate, blockSize);
        bench->processor.prepareToPlay (sampleRate, blockSize);
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();

        for (int b = 0; b < blocks; ++b)
        {
            source.fill (buffer);
            bench->processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
        }

        const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
        nanoseconds += elapsed.count();
        frames += static_cast<std::int64_t> (blocks) * blockSize;

        state.PauseTiming();
        bench.reset();
        state.ResumeTiming();
    }

    state.SetItemsProcessed (frames);
    state.counters["ns_per_frame"] = nanoseconds / static_cast<double> (frames);
}

// The first bypassed block and the host's reset: both empty the line, and their cost must not
// grow with its length (2 x 40 s at the rate).
// Arguments: rate in kHz, 0 for Bypass or 1 for reset.
void emptyingTheLine (benchmark::State& state)
{
    const auto sampleRate = static_cast<double> (state.range (0)) * 1000.0;
    const auto byReset = state.range (1) == 1;
    constexpr int blockSize = 512;

    BenchProcessor bench (sampleRate, blockSize);
    auto& processor = bench.processor;
    processor.prepareToPlay (sampleRate, blockSize);
    auto& bypass = asHostParameter (processor.boolParameters->at (ParameterIndex::bypass));

    NoiseSource source (sampleRate);
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;

    for (auto _ : state)
    {
        state.PauseTiming();
        bypass.setValue (0.0f);
        source.fill (buffer);
        processor.processBlock (buffer, midi);
        state.ResumeTiming();

        if (byReset)
        {
            processor.reset();
        }
        else
        {
            bypass.setValue (1.0f);
            processor.processBlock (buffer, midi);
        }

        benchmark::ClobberMemory();
    }
}

// rate 0, 1, 2 are 44.1, 48 and 96 kHz; mode 0 synced, 1 free (milliseconds), 2 synced with Drive.
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
BENCHMARK (firstSecondsAfterPreparation)->ArgNames ({ "rate", "seconds" })->Args ({ 1, 3 })->Args ({ 2, 3 })->Unit (benchmark::kMillisecond)->Iterations (5);
BENCHMARK (emptyingTheLine)->ArgNames ({ "kHz", "reset" })->Args ({ 48, 0 })->Args ({ 384, 0 })->Args ({ 384, 1 })->Unit (benchmark::kMicrosecond);
