#include "EngineFixture.h"

#include <cstring>
#include <limits>
#include <random>

namespace
{
using echovane::testing::Engine;

juce::AudioBuffer<float> noise (int numSamples, unsigned seed, float scale = 0.5f)
{
    juce::AudioBuffer<float> audio (2, numSamples);
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> uniform (-scale, scale);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < numSamples; ++i)
            audio.setSample (channel, i, uniform (random));

    return audio;
}

bool sameSamples (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    for (int channel = 0; channel < 2; ++channel)
        if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * static_cast<size_t> (a.getNumSamples())) != 0)
            return false;

    return true;
}

bool allFinite (const juce::AudioBuffer<float>& audio)
{
    for (int channel = 0; channel < audio.getNumChannels(); ++channel)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            if (! std::isfinite (audio.getSample (channel, i)))
                return false;

    return true;
}

bool filterStatesAre (const DelayProcess& engine, bool (*test) (float))
{
    for (const auto* filter : { &engine.getLowpassFilter(), &engine.getHighpassFilter() })
        for (auto value : filter->filterState)
            if (! test (value))
                return false;

    return true;
}

Engine& echoing (Engine& engine)
{
    return engine.set ("Mix", 1.0f).set ("Feedback", 0.7f).set ("Dark", 0.4f).set ("Bright", 0.3f).freeDelay (1875);
}

TEST (Reset, EmptiesTheLineTheFeedbackAndTheFiltersButKeepsTheSmoothing)
{
    Engine engine (48000.0, 512);
    echoing (engine);
    auto audio = noise (48000, 1);
    engine.process (audio, 512);

    const auto mix = engine.engine().getCurrentMix();
    const auto feedback = engine.engine().getCurrentFeedback();
    const auto width = engine.engine().getCurrentWidth();
    ASSERT_FALSE (filterStatesAre (engine.engine(), [] (float v)
                                   { return v == 0.0f; }));

    engine.processor.reset();

    EXPECT_EQ (engine.engine().getWriteIndex(), 0);
    EXPECT_EQ (engine.engine().getFeedbackState()[0], 0.0f);
    EXPECT_EQ (engine.engine().getFeedbackState()[1], 0.0f);
    EXPECT_TRUE (filterStatesAre (engine.engine(), [] (float v)
                                  { return v == 0.0f; }));
    EXPECT_EQ (engine.engine().getCurrentMix(), mix);
    EXPECT_EQ (engine.engine().getCurrentFeedback(), feedback);
    EXPECT_EQ (engine.engine().getCurrentWidth(), width);

    for (int i = 0; i < engine.engine().getBufferLength(); i += 997)
        ASSERT_EQ (engine.engine().lineSample (0, i), 0.0f) << i;

    // Nothing of the noise comes back: silence in, silence out.
    juce::AudioBuffer<float> silence (2, 2 * 48000);
    silence.clear();
    engine.process (silence, 512);
    EXPECT_EQ (silence.getMagnitude (0, 0, silence.getNumSamples()), 0.0f);
    EXPECT_EQ (silence.getMagnitude (1, 0, silence.getNumSamples()), 0.0f);
}

// JUCE's hosting may reset around a preparation; on a fresh instance that changes no sample.
TEST (Reset, AroundAPreparationChangesNoSampleOfARender)
{
    Engine plain (48000.0, 512), reset (48000.0, 512);

    for (auto* engine : { &plain, &reset })
        echoing (*engine);

    reset.processor.reset();
    reset.prepare (48000.0, 256);
    reset.processor.reset();
    plain.prepare (48000.0, 256);

    auto a = noise (3 * 48000, 2);
    auto b = a;
    plain.process (a, 256);
    reset.process (b, 256);
    EXPECT_TRUE (sameSamples (a, b));
}

// After a reset the line reads as silence until the writes have come round; what was written
// after the reset reads back exactly, across the line's end too.
TEST (Reset, TheLineRefillsFromSilenceAcrossItsEnd)
{
    Engine engine (8000.0, 512);
    engine.set ("Mix", 1.0f).set ("Feedback", 0.0f).set ("Dark", 0.0f).set ("Bright", 0.0f).set ("Width", 0.5f).set ("Balance", 0.0f);
    engine.set ("TempoChanger", 1.0f).set ("MS", 1.0f); // 5 seconds: 40,000 samples
    engine.settle();

    auto loud = noise (8000 * 41, 3);
    engine.process (loud, 512);
    engine.processor.reset();

    // The first 40,000 samples read what lay before the start: silence, not the loud noise. (Mix
    // settles a hair below 1, so a trace of the quiet input is left.)
    constexpr int total = 8000 * 40 + 5000;
    auto quiet = noise (total, 4, 0.01f);
    engine.process (quiet, 512);
    EXPECT_LT (quiet.getMagnitude (0, 0, 40000), 1e-6f);

    // From there on the repeats are of what came after the reset.
    EXPECT_GT (quiet.getMagnitude (0, 40002, 10000), 0.001f);
    EXPECT_LT (quiet.getMagnitude (0, 40002, 10000), 0.05f);

    // Past the line's end (320,000 samples) the writes have come round and every read is real.
    EXPECT_EQ (engine.engine().getWriteIndex(), total - engine.engine().getBufferLength());
    EXPECT_GT (quiet.getMagnitude (0, total - 5000, 5000), 0.001f);
    EXPECT_LT (quiet.getMagnitude (0, total - 5000, 5000), 0.05f);
}

struct BadParameterCase
{
    const char* name;
    const char* id;
    float value;
    std::vector<std::pair<const char*, float>> settings;
};

class NonFiniteParameter : public ::testing::TestWithParam<BadParameterCase>
{
};

// JUCE lets NaN through to "MS" and to the toggles (the others snap it to their grid): the engine
// goes on with the last finite value, sample for sample as if nothing had been sent.
TEST_P (NonFiniteParameter, TheEngineKeepsTheLastFiniteValue)
{
    const auto& c = GetParam();
    Engine changed (48000.0, 512), unchanged (48000.0, 512);

    for (auto* engine : { &changed, &unchanged })
        for (const auto& [id, value] : c.settings)
            engine->set (id, value);

    auto a = noise (48000 * 2, 5);
    auto b = a;

    for (int block = 0; block < a.getNumSamples() / 512; ++block)
    {
        if (block == 20)
            changed.set (c.id, c.value);

        if (block == 150)
            changed.set (c.id, unchanged.parameter (c.id).getValue());

        juce::AudioBuffer<float> blockA (a.getArrayOfWritePointers(), 2, block * 512, 512);
        juce::AudioBuffer<float> blockB (b.getArrayOfWritePointers(), 2, block * 512, 512);
        changed.processBlock (blockA);
        unchanged.processBlock (blockB);
    }

    EXPECT_TRUE (allFinite (a)) << c.name;
    EXPECT_TRUE (sameSamples (a, b)) << c.name;
}

constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
constexpr auto infinity = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P (
    NanAndInfinities,
    NonFiniteParameter,
    ::testing::Values (BadParameterCase{ "MsNan", "MS", nan, { { "TempoChanger", 1.0f }, { "MS", 0.02f }, { "Mix", 1.0f }, { "Feedback", 0.5f } } },
                       BadParameterCase{ "TempoChangerNanWhileOn", "TempoChanger", nan, { { "TempoChanger", 1.0f }, { "MS", 0.02f } } },
                       BadParameterCase{ "TempoChangerInfinityWhileOff", "TempoChanger", infinity, { { "Sync", 0.3f } } },
                       BadParameterCase{ "TripletNan", "Triplet", nan, { { "Triplet", 1.0f }, { "Sync", 0.3f } } },
                       BadParameterCase{ "DottedInfinity", "Dotted", infinity, { { "Sync", 0.3f } } },
                       BadParameterCase{ "BypassNanWhileOn", "Bypass", nan, { { "Bypass", 1.0f }, { "Feedback", 0.6f } } },
                       BadParameterCase{ "BypassInfinityWhileOff", "Bypass", infinity, { { "Feedback", 0.6f } } }),
    [] (const auto& testInfo)
    { return std::string (testInfo.param.name); });

// Huge but finite input can overflow inside the engine; no infinity or NaN may stay behind in the
// line or the filters, and none may come out.
TEST (NonFiniteInput, OverflowFromHugeFiniteInputLeavesNothingBehind)
{
    Engine engine (48000.0, 256);
    engine.set ("Mix", 0.7f).set ("Feedback", 1.0f).set ("Drive", 0.0f).set ("Width", 1.0f).freeDelay (3);

    auto huge = noise (48000, 6, std::numeric_limits<float>::max());
    engine.process (huge, 256);
    EXPECT_TRUE (allFinite (huge));
    EXPECT_TRUE (filterStatesAre (engine.engine(), [] (float v)
                                  { return std::isfinite (v); }));

    engine.set ("Feedback", 0.0f);
    auto normal = noise (48000 * 3, 7);
    engine.process (normal, 256);
    EXPECT_TRUE (allFinite (normal));

    for (int i = 0; i < engine.engine().getBufferLength(); ++i)
        ASSERT_TRUE (std::isfinite (engine.engine().lineSample (0, i)) && std::isfinite (engine.engine().lineSample (1, i))) << i;
}
} // namespace
