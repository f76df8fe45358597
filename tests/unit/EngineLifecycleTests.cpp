#include "EngineFixture.h"

#include <random>

namespace
{
using echovane::testing::Engine;
using echovane::testing::impulse;

constexpr float ms1875Samples = echovane::testing::msValueOfDelay (1875, 48000.0); // exactly, in single precision

juce::AudioBuffer<float> noise (int numSamples, unsigned seed, int numChannels = 2)
{
    juce::AudioBuffer<float> audio (numChannels, numSamples);
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);

    for (int channel = 0; channel < numChannels; ++channel)
        for (int i = 0; i < numSamples; ++i)
            audio.setSample (channel, i, uniform (random));

    return audio;
}

float lineMagnitude (const DelayProcess& engine)
{
    float peak = 0.0f;

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < engine.getBufferLength(); ++i)
            peak = std::max (peak, std::abs (engine.lineSample (channel, i)));

    return peak;
}

struct PrepareCase
{
    double rate;
    int block;
    int rateInt;
    int lineLength;
    double designRate;
};

class Preparation : public ::testing::TestWithParam<PrepareCase>
{
};

TEST_P (Preparation, SizesTheLineAndWetBufferForTheRate)
{
    const auto& c = GetParam();
    Engine engine (c.rate, c.block);
    const auto& e = engine.engine();

    EXPECT_EQ (e.getSampleRateInt(), c.rateInt);
    EXPECT_EQ (e.getBufferLength(), c.lineLength);
    EXPECT_EQ (e.getProcessSpec().sampleRate, c.designRate);
    EXPECT_EQ (e.getProcessSpec().maximumBlockSize, static_cast<juce::uint32> (c.block));
    EXPECT_GE (e.getWetCapacity(), std::max (static_cast<int> (c.rate), c.block));
    EXPECT_EQ (lineMagnitude (e), 0.0f);
}

INSTANTIATE_TEST_SUITE_P (Rates,
                          Preparation,
                          ::testing::Values (PrepareCase{ 48000.0, 512, 48000, 1920000, 48000.0 },
                                             PrepareCase{ 44100.0, 512, 44100, 1764000, 44100.0 },
                                             PrepareCase{ 500.0, 64, 500, 20000, 44100.0 },
                                             PrepareCase{ 96000.0, 200000, 96000, 3840000, 96000.0 },
                                             PrepareCase{ 44100.5, 512, 44100, 1764000, 44100.5 }));

TEST (Preparation, BelowOneHertzThereIsNoLineAndAudioPassesThrough)
{
    for (const auto rate : { 0.5, 0.0, -44100.0, std::numeric_limits<double>::quiet_NaN() })
    {
        Engine engine (rate, 64);
        EXPECT_FALSE (engine.engine().isReady()) << rate;

        auto audio = noise (300, 1);
        const juce::AudioBuffer<float> input (audio);
        engine.set ("Mix", 1.0f).process (audio, 64);

        for (int i = 0; i < 300; ++i)
            ASSERT_EQ (audio.getSample (0, i), input.getSample (0, i)) << rate;

        // A later good preparation brings the engine back.
        engine.prepare (48000.0, 64);
        EXPECT_TRUE (engine.engine().isReady()) << rate;
    }
}

TEST (Preparation, ANewBlockLengthAtTheSameRateKeepsTheLine)
{
    Engine engine (48000.0, 512);
    engine.set ("Mix", 1.0f).freeDelay (1875).set ("MS", ms1875Samples);
    engine.settle();

    constexpr int at = 5;
    auto audio = impulse (3000, at);
    const auto startIndex = engine.engine().getWriteIndex();

    // The host re-prepares with another maximum and then sends blocks of ever other lengths.
    juce::AudioBuffer<float> head (audio.getArrayOfWritePointers(), 2, 0, 100);
    engine.processBlock (head);
    engine.prepare (48000.0, 256);

    const int lengths[] = { 1, 0, 77, 256, 1000, 3, 511 };
    int position = 100;

    for (size_t k = 0; position < audio.getNumSamples(); ++k)
    {
        const auto length = std::min (lengths[k % std::size (lengths)], audio.getNumSamples() - position);
        juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, position, length);
        engine.processBlock (block);
        position += length;
    }

    EXPECT_EQ (engine.engine().getWriteIndex(), startIndex + audio.getNumSamples());
    EXPECT_GT (std::abs (audio.getSample (0, at + 1875)), 0.1f);
    EXPECT_LT (std::abs (audio.getSample (0, at + 1874)), 1e-4f);
}

TEST (Preparation, ARateChangeEmptiesTheLine)
{
    Engine engine (48000.0, 512);
    engine.set ("Feedback", 0.9f);
    auto audio = noise (48000, 2);
    engine.process (audio, 512);
    ASSERT_GT (lineMagnitude (engine.engine()), 0.1f);

    // Through processBlock alone: the host's rate changed, the block prepares first.
    engine.processor.setRateAndBufferSizeDetails (44100.0, 512);
    juce::AudioBuffer<float> silence (2, 512);
    silence.clear();
    engine.processBlock (silence);

    EXPECT_EQ (engine.engine().getBufferLength(), 1764000);
    EXPECT_EQ (lineMagnitude (engine.engine()), 0.0f);
}

TEST (Preparation, AFractionalRatePreparesOnceAndKeepsItsLine)
{
    Engine engine (44100.5, 512);
    engine.set ("Feedback", 0.5f);
    auto audio = noise (4096, 3);
    engine.process (audio, 512);

    const auto index = engine.engine().getWriteIndex();
    const auto line = lineMagnitude (engine.engine());
    ASSERT_GT (line, 0.0f);

    // No re-sizing and no measured block: the write position has not moved.
    engine.prepare (44100.5, 512);
    EXPECT_EQ (engine.engine().getWriteIndex(), index);
    EXPECT_EQ (lineMagnitude (engine.engine()), line);
}

class LatencyListener final : public juce::AudioProcessorListener
{
public:
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}

    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
    {
        if (details.latencyChanged)
            ++latencyChanges;
    }

    int latencyChanges = 0;
};

// The output is never later than the input, so the host is told 0 however long the silent block
// of a new rate takes; the block itself still runs, since the smoothing it advances shapes every
// later sample.
TEST (Latency, ZeroWhateverTheSilentBlockOfANewRateTook)
{
    OvelanAudioProcessor processor;
    processor.enableAllBuses();
    LatencyListener listener;
    processor.addListener (&listener);

    // Big blocks at high rates take long enough to be many samples of wall-clock time.
    const std::pair<double, int> preparations[] = { { 384000.0, 65536 }, { 48000.0, 512 }, { 192000.0, 262144 }, { 384000.0, 8192 } };

    for (const auto& [rate, block] : preparations)
    {
        processor.setRateAndBufferSizeDetails (rate, block);
        processor.prepareToPlay (rate, block);

        EXPECT_EQ (processor.getLatencySamples(), 0) << rate;
        EXPECT_EQ (processor.getDelayProcess().getWriteIndex(), block) << "the silent block ran at " << rate;
    }

    EXPECT_EQ (listener.latencyChanges, 0);
    processor.removeListener (&listener);
}

TEST (Bypass, PassesTheInputThroughAndEmptiesTheLineOnce)
{
    Engine bypassed (48000.0, 512), running (48000.0, 512);

    for (auto* engine : { &bypassed, &running })
        engine->set ("Mix", 1.0f).set ("Feedback", 0.8f).freeDelay (1875).set ("MS", ms1875Samples);

    auto signal = noise (1500, 4);
    auto other = signal;
    bypassed.process (signal, 512);
    running.process (other, 512);
    ASSERT_GT (lineMagnitude (bypassed.engine()), 0.1f);

    const auto mixBefore = bypassed.engine().getCurrentMix();
    bypassed.set ("Bypass", 1.0f);

    for (int block = 0; block < 3; ++block)
    {
        auto audio = noise (512, 10 + static_cast<unsigned> (block));
        const juce::AudioBuffer<float> input (audio);
        bypassed.processBlock (audio);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < 512; ++i)
                ASSERT_EQ (audio.getSample (channel, i), input.getSample (channel, i));

        EXPECT_EQ (bypassed.engine().getWriteIndex(), 0);
        EXPECT_EQ (lineMagnitude (bypassed.engine()), 0.0f);
        EXPECT_EQ (bypassed.engine().getFeedbackState()[0], 0.0f);
        EXPECT_EQ (bypassed.engine().getCurrentMix(), mixBefore) << "nothing is smoothed while bypassed";
    }

    // Leaving bypass: the repeats of what came before are gone; the line refills from silence.
    bypassed.set ("Bypass", 0.0f);
    juce::AudioBuffer<float> after (2, 4000), afterRunning (2, 4000);
    after.clear();
    afterRunning.clear();
    bypassed.process (after, 512);
    running.process (afterRunning, 512);

    EXPECT_GT (afterRunning.getMagnitude (0, 1000, 3000), 0.05f) << "without bypass the repeats go on";
    EXPECT_LT (after.getMagnitude (0, 1000, 3000), 1e-4f);
    EXPECT_EQ (lineMagnitude (bypassed.engine()), 0.0f);

    // A second bypass period empties the line again.
    auto more = noise (2000, 5);
    bypassed.process (more, 512);
    ASSERT_GT (lineMagnitude (bypassed.engine()), 0.1f);
    bypassed.clearLineByBypass();
    EXPECT_EQ (lineMagnitude (bypassed.engine()), 0.0f);
}

TEST (Blocks, AnEmptyBlockSmoothsAndEasesButTouchesNoSample)
{
    Engine engine (44100.0, 512);
    engine.set ("Dark", 0.0f);
    engine.settle (200, 512);

    const auto index = engine.engine().getWriteIndex();
    const auto mix = engine.engine().getCurrentMix();
    const auto before = engine.engine().getLowpassFilter().coefficients[3];

    engine.set ("Dark", 1.0f).set ("Mix", 1.0f);
    juce::AudioBuffer<float> empty (2, 0);
    engine.processBlock (empty);

    EXPECT_EQ (engine.engine().getWriteIndex(), index);
    EXPECT_FLOAT_EQ (engine.engine().getCurrentMix(), mix + (1.0f - mix) * 0.1f);

    const auto target = BiquadLimiter::designLowPass (44100.0, 400.0f)[3];
    EXPECT_NEAR ((engine.engine().getLowpassFilter().coefficients[3] - before) / (target - before), 0.7, 1e-5);
}

TEST (Mix, ZeroGivesTheInputAndOneTheDelayedSignalAlone)
{
    Engine dry (48000.0, 512), wet (48000.0, 512);
    dry.set ("Mix", 0.0f).set ("Feedback", 0.7f).set ("Drive", 0.5f).set ("Width", 1.0f);
    wet.set ("Mix", 1.0f).freeDelay (1875).set ("MS", ms1875Samples);
    dry.settle();
    wet.settle();

    auto audio = noise (4000, 6);
    const juce::AudioBuffer<float> input (audio);
    dry.process (audio, 512);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < 4000; ++i)
            ASSERT_NEAR (audio.getSample (channel, i), input.getSample (channel, i), 1e-6f);

    juce::AudioBuffer<float> burst (2, 4000);
    burst.clear();
    burst.copyFrom (0, 0, input, 0, 0, 1000);
    burst.copyFrom (1, 0, input, 1, 0, 1000);
    wet.process (burst, 512);

    EXPECT_LT (burst.getMagnitude (0, 0, 1875), 1e-5f) << "no input in the output";
    EXPECT_GT (burst.getRMSLevel (0, 1875, 1000), 0.05f);
}

TEST (Mix, TheMixerRampsEachGainOverFiftyMilliseconds)
{
    Engine engine (48000.0, 4800);
    engine.set ("Mix", 0.0f).set ("TempoChanger", 1.0f).set ("MS", 1.0f);
    engine.settle (200, 4800);

    // Mix 0 to 1: this block's smoothed Mix is 0.1, reached by the input's gain in 2400 samples.
    engine.set ("Mix", 1.0f);
    juce::AudioBuffer<float> ones (2, 4800);
    ones.clear();

    for (int channel = 0; channel < 2; ++channel)
        juce::FloatVectorOperations::fill (ones.getWritePointer (channel), 1.0f, 4800);

    engine.processBlock (ones);

    for (const auto& [index, expected] : { std::pair{ 599, 0.975f }, std::pair{ 1199, 0.95f }, std::pair{ 2399, 0.9f }, std::pair{ 4799, 0.9f } })
        EXPECT_NEAR (ones.getSample (0, index), expected, 1e-5f) << index;
}

TEST (Tempo, OnlyAUsableTempoFromThePlayHeadIsTaken)
{
    Engine engine (48000.0, 64);
    juce::AudioBuffer<float> block (2, 64);

    const auto run = [&] (double bpm, bool given)
    {
        engine.playHead.bpm = bpm;
        engine.playHead.hasBpm = given;
        block.clear();
        engine.processBlock (block);
        return engine.engine().getTempo();
    };

    EXPECT_EQ (run (120.0, false), 120.0) << "120 bpm before any tempo";
    EXPECT_EQ (run (95.5, true), 95.5);

    for (const auto bad : { 0.0, -60.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1.0e-300 })
        EXPECT_EQ (run (bad, true), 95.5) << bad;

    EXPECT_EQ (run (140.0, false), 95.5) << "a position without tempo keeps the last one";
    EXPECT_EQ (run (1.0e-30, true), 1.0e-30) << "absurdly slow, but usable";

    // Even then the delay stays finite and the output too.
    engine.set ("Sync", 1.0f).set ("Feedback", 0.5f);
    auto audio = noise (4096, 7);
    engine.process (audio, 64);

    for (int i = 0; i < 4096; ++i)
        ASSERT_TRUE (std::isfinite (audio.getSample (0, i)));
}

TEST (Layout, OnlyTheFirstPairIsProcessed)
{
    Engine engine (48000.0, 256);
    engine.set ("Mix", 1.0f).freeDelay (1875).set ("MS", ms1875Samples);

    auto mono = noise (256, 8, 1);
    const juce::AudioBuffer<float> monoInput (mono);
    engine.processBlock (mono);

    for (int i = 0; i < 256; ++i)
        ASSERT_EQ (mono.getSample (0, i), monoInput.getSample (0, i));

    auto three = noise (256, 9, 3);
    const juce::AudioBuffer<float> threeInput (three);
    engine.processBlock (three);

    for (int i = 0; i < 256; ++i)
        ASSERT_EQ (three.getSample (2, i), threeInput.getSample (2, i));

    // The pair went through the mixer, whose input gain is ramping down from 1.
    for (int channel = 0; channel < 2; ++channel)
    {
        const auto gain = three.getSample (channel, 255) / threeInput.getSample (channel, 255);
        EXPECT_LT (gain, 0.99f);
        EXPECT_GT (gain, 1.0f - engine.engine().getCurrentMix());
    }
}

TEST (Blocks, LongerThanOneSecondAndThanTheMixerWasPreparedFor)
{
    Engine engine (8000.0, 64);
    engine.set ("Mix", 1.0f).set ("TempoChanger", 1.0f).set ("MS", 0.05f); // 250 ms: 2000 samples
    engine.settle (300, 64);

    auto audio = impulse (30000, 10);
    engine.processBlock (audio);

    EXPECT_GE (engine.engine().getWetCapacity(), 30000);
    EXPECT_GT (std::abs (audio.getSample (0, 2010)), 0.05f);
    EXPECT_GT (std::abs (audio.getSample (0, 10 + 2 * 2000 + 1)), 0.0f) << "the second repeat, late in the long block";
}
} // namespace
