#include "BundleFixture.h"
#include "Commands.h"
#include "PluginLoader.h"
#include "Render.h"
#include "support/JuceAssertions.h"
#include "support/MessagePump.h"

#include <cstring>
#include <limits>
#include <random>

namespace
{
using echovane::host::RenderSettings;
using echovane::host::renderThrough;

juce::AudioBuffer<float> silenceWithImpulse (int numSamples)
{
    juce::AudioBuffer<float> audio (2, numSamples);
    audio.clear();
    audio.setSample (0, 0, 1.0f);
    audio.setSample (1, 0, 1.0f);
    return audio;
}

juce::AudioBuffer<float> noise (int numSamples, unsigned seed)
{
    juce::AudioBuffer<float> audio (2, numSamples);
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < numSamples; ++i)
            audio.setSample (channel, i, uniform (random));

    return audio;
}

/** A fresh instance of the built bundle with these host parameter settings. */
std::unique_ptr<juce::AudioPluginInstance> loadWith (const std::vector<std::string>& settings, double rate = 48000.0, int block = 512)
{
    auto plugin = echovane::testing::loadBuiltBundle (rate, block);
    echovane::host::applyAssignments (*plugin, settings);
    return plugin;
}

struct DelayCase
{
    const char* name;
    std::vector<std::string> settings;
    double bpm;
    double sampleRate;
    int expectedSamples;
    std::vector<int> blockPattern;
};

class HostedDelay : public ::testing::TestWithParam<DelayCase>
{
};

TEST_P (HostedDelay, TheImpulseComesBackAfterTheNoteAtThePlayHeadsTempo)
{
    const auto& c = GetParam();
    auto plugin = loadWith (c.settings, c.sampleRate);

    RenderSettings settings;
    settings.sampleRate = c.sampleRate;
    settings.bpm = c.bpm;
    settings.blockPattern = c.blockPattern;

    const auto out = renderThrough (*plugin, silenceWithImpulse (c.expectedSamples + 256), settings);
    const auto d = c.expectedSamples;

    for (int channel = 0; channel < 2; ++channel)
    {
        const auto arrival = std::abs (out.getSample (channel, d));
        EXPECT_GT (arrival, 0.05f) << c.name;
        EXPECT_LT (std::abs (out.getSample (channel, d - 1)), 0.02f * arrival) << c.name;
        EXPECT_EQ (out.getMagnitude (channel, 1, d - 2), 0.0f) << c.name << ": only the dry impulse before the repeat";
    }
}

INSTANTIATE_TEST_SUITE_P (
    NotesAndMilliseconds,
    HostedDelay,
    ::testing::Values (DelayCase{ "Sync06At120", { "Mix=1" }, 120.0, 48000.0, 24000, {} },
                       DelayCase{ "Triplet", { "Mix=1", "Triplet=1" }, 120.0, 48000.0, 16000, {} },
                       DelayCase{ "Dotted", { "Mix=1", "Dotted=1" }, 120.0, 48000.0, 36000, {} },
                       DelayCase{ "TripletAndDotted", { "Mix=1", "Triplet=1", "Dotted=1" }, 120.0, 48000.0, 16000, {} },
                       DelayCase{ "QuarterAt90", { "Mix=1", "Sync=0.5" }, 90.0, 44100.0, 29400, {} },
                       DelayCase{ "EighthAt150", { "Mix=1", "Sync=0.4" }, 150.0, 48000.0, 9600, {} },
                       DelayCase{ "Ms500", { "Mix=1", "TempoChanger=1" }, 120.0, 48000.0, 24000, {} },
                       DelayCase{ "Ms500IgnoresTempo", { "Mix=1", "TempoChanger=1", "Triplet=1" }, 77.0, 48000.0, 24000, {} },
                       DelayCase{ "ChangingBlockLengths", { "Mix=1" }, 120.0, 48000.0, 24000, { 512, 100, 7, 1024, 333, 4096, 1 } }),
    [] (const auto& testInfo)
    { return std::string (testInfo.param.name); });

TEST (HostedBypass, OutputIsTheInputToTheBit)
{
    auto plugin = loadWith ({ "Bypass=1", "Mix=1", "Feedback=0.8", "Drive=1" });
    const auto input = noise (48000, 1);
    const auto out = renderThrough (*plugin, input, {});

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < input.getNumSamples(); ++i)
            ASSERT_EQ (out.getSample (channel, i), input.getSample (channel, i)) << i;
}

TEST (HostedMix, ZeroGivesTheInputOnceSettled)
{
    auto plugin = loadWith ({ "Mix=0", "Feedback=0.7" });
    const auto input = noise (4 * 48000, 2);
    const auto out = renderThrough (*plugin, input, {});

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 3 * 48000; i < input.getNumSamples(); ++i)
            ASSERT_NEAR (out.getSample (channel, i), input.getSample (channel, i), 1e-6f) << i;
}

struct ToneCase
{
    const char* name;
    std::string control;
    double frequency;
};

class HostedTone : public ::testing::TestWithParam<ToneCase>
{
};

// The tone filters sit after the feedback loop, so at one frequency the only difference
// between the control at 0 and at 1 is the filter: 6 dB down at the cut-off.
TEST_P (HostedTone, SixDbDownAtTheCutOffOfTheControlAtOne)
{
    const auto& c = GetParam();

    const auto level = [&] (const std::string& value)
    {
        auto plugin = loadWith ({ "Mix=1", "TempoChanger=1", "MS=0.01", c.control + "=" + value });
        juce::AudioBuffer<float> sine (2, 48000);

        for (int i = 0; i < sine.getNumSamples(); ++i)
            for (int channel = 0; channel < 2; ++channel)
                sine.setSample (channel, i, static_cast<float> (0.25 * std::sin (juce::MathConstants<double>::twoPi * c.frequency * i / 48000.0)));

        const auto out = renderThrough (*plugin, sine, {});
        return out.getRMSLevel (0, 24000, 24000);
    };

    const auto relative = juce::Decibels::gainToDecibels (level ("1") / level ("0"));
    const auto other = c.control == "Dark" ? 1.0 / (1.0 + juce::square (std::tan (juce::MathConstants<double>::pi * c.frequency / 48000.0) / std::tan (juce::MathConstants<double>::pi * 20200.0 / 48000.0)))
                                           : 1.0 / (1.0 + juce::square (std::tan (juce::MathConstants<double>::pi * 20.0 / 48000.0) / std::tan (juce::MathConstants<double>::pi * c.frequency / 48000.0)));
    EXPECT_NEAR (relative, -6.02 - juce::Decibels::gainToDecibels (other), 0.1) << c.name;
}

INSTANTIATE_TEST_SUITE_P (DarkAndBright,
                          HostedTone,
                          ::testing::Values (ToneCase{ "Dark", "Dark", 400.0 }, ToneCase{ "Bright", "Bright", 2520.0 }),
                          [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });

TEST (HostedWidth, DefaultRepeatsAreMonoAndWidthOneKeepsTheSides)
{
    const auto repeat = [] (const std::string& width)
    {
        auto plugin = loadWith ({ "Mix=1", "TempoChanger=1", "MS=0.01", "Width=" + width });
        juce::AudioBuffer<float> left (2, 4000);
        left.clear();
        left.setSample (0, 0, 1.0f);
        auto out = renderThrough (*plugin, left, {});
        return std::pair{ out.getSample (0, 2400), out.getSample (1, 2400) };
    };

    const auto [monoLeft, monoRight] = repeat ("0");
    EXPECT_GT (monoLeft, 0.05f);
    EXPECT_EQ (monoLeft, monoRight);

    // Width settles by 1 % per block, so after a few blocks it is only part of the way to 1.
    const auto [wideLeft, wideRight] = repeat ("0.5");
    EXPECT_GT (wideLeft, monoLeft);
    EXPECT_LT (wideRight, monoRight);
}

bool sameSamples (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return false;

    for (int channel = 0; channel < a.getNumChannels(); ++channel)
        if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * static_cast<size_t> (a.getNumSamples())) != 0)
            return false;

    return true;
}

int countNonFinite (const juce::AudioBuffer<float>& audio)
{
    int count = 0;

    for (int channel = 0; channel < audio.getNumChannels(); ++channel)
        for (int i = 0; i < audio.getNumSamples(); ++i)
            count += std::isfinite (audio.getSample (channel, i)) ? 0 : 1;

    return count;
}

struct BadSampleCase
{
    const char* name;
    float value;
    int position;
    bool leftOnly;
    std::vector<std::string> settings;
};

class HostedBadSample : public ::testing::TestWithParam<BadSampleCase>
{
};

// A host or an upstream plug-in can send one NaN or infinity. It must sound as one sample of
// silence would: the same output to the bit as the input with a zero there, in this render and
// in the next one, which the host prepares at another rate.
TEST_P (HostedBadSample, SoundsAsSilenceAndLeavesNothingBehind)
{
    const auto& c = GetParam();
    auto withBadSample = loadWith (c.settings);
    auto withSilence = loadWith (c.settings);

    auto bad = noise (2 * 48000, 7);
    auto silent = bad;

    for (int channel = 0; channel < (c.leftOnly ? 1 : 2); ++channel)
    {
        bad.setSample (channel, c.position, c.value);
        silent.setSample (channel, c.position, 0.0f);
    }

    const auto out = renderThrough (*withBadSample, bad, {});
    const auto expected = renderThrough (*withSilence, silent, {});
    EXPECT_EQ (countNonFinite (out), 0) << c.name;
    EXPECT_TRUE (sameSamples (out, expected)) << c.name;

    RenderSettings other;
    other.sampleRate = 44100.0;
    other.blockSize = 300;
    const auto next = noise (44100, 8);
    const auto outNext = renderThrough (*withBadSample, next, other);
    EXPECT_EQ (countNonFinite (outNext), 0) << c.name << ": after a new preparation";
    EXPECT_TRUE (sameSamples (outNext, renderThrough (*withSilence, next, other))) << c.name << ": after a new preparation";
}

INSTANTIATE_TEST_SUITE_P (
    NanAndInfinities,
    HostedBadSample,
    ::testing::Values (BadSampleCase{ "NanFirstSample", std::numeric_limits<float>::quiet_NaN(), 0, false, {} },
                       BadSampleCase{ "PlusInfinityLeftWithFeedback", std::numeric_limits<float>::infinity(), 1000, true, { "Mix=1", "Feedback=0.9" } },
                       BadSampleCase{ "MinusInfinityEndOfBlockDriven", -std::numeric_limits<float>::infinity(), 511, false, { "Drive=1", "Width=1", "Dark=0.7" } },
                       BadSampleCase{ "NanFeedbackZeroMixZero", std::numeric_limits<float>::quiet_NaN(), 512, false, { "Feedback=0", "Mix=0" } },
                       BadSampleCase{ "NanRightOnlyInMilliseconds", std::numeric_limits<float>::quiet_NaN(), 30000, false, { "TempoChanger=1", "MS=0.0123", "Feedback=1", "Bright=1" } },
                       BadSampleCase{ "NanLastSample", std::numeric_limits<float>::quiet_NaN(), 2 * 48000 - 1, true, { "Mix=1" } }),
    [] (const auto& testInfo)
    { return std::string (testInfo.param.name); });

struct BadParameterCase
{
    const char* name;
    std::vector<std::string> settings;
    const char* parameter;
    float value;
};

class HostedBadParameter : public ::testing::TestWithParam<BadParameterCase>
{
};

// A host can hand a parameter NaN or an infinity. Where the value reaches the plug-in as it is,
// the engine goes on with the last finite one: the output is the same to the bit as if the
// parameter had never changed, before and after it is set back.
TEST_P (HostedBadParameter, KeepsTheLastFiniteValue)
{
    // The bundle's own JUCE asserts as it clamps a value outside 0 to 1, which these hosts send.
    const echovane::testing::PluginStderrWatch pluginAssertions;
    const auto& c = GetParam();
    auto changed = loadWith (c.settings);
    auto unchanged = loadWith (c.settings);
    auto* parameter = echovane::host::findParameter (*changed, c.parameter);
    ASSERT_NE (parameter, nullptr);
    const auto before = parameter->getValue();

    juce::AudioBuffer<float> outs[2];
    int index = 0;

    for (auto* plugin : { changed.get(), unchanged.get() })
    {
        auto audio = noise (3 * 48000, 9);
        plugin->enableAllBuses();
        plugin->prepareToPlay (48000.0, 512);

        juce::AudioBuffer<float> first (audio.getArrayOfWritePointers(), 2, 0, 48000);
        juce::AudioBuffer<float> second (audio.getArrayOfWritePointers(), 2, 48000, 48000);
        juce::AudioBuffer<float> third (audio.getArrayOfWritePointers(), 2, 96000, 48000);
        echovane::host::processInBlocks (*plugin, first, { 512 }, nullptr);

        if (plugin == changed.get())
            parameter->setValue (c.value);

        echovane::host::processInBlocks (*plugin, second, { 512 }, nullptr);

        if (plugin == changed.get())
            parameter->setValue (before);

        echovane::host::processInBlocks (*plugin, third, { 512 }, nullptr);
        plugin->releaseResources();
        outs[index++] = audio;
    }

    EXPECT_EQ (countNonFinite (outs[0]), 0) << c.name;
    EXPECT_TRUE (sameSamples (outs[0], outs[1])) << c.name;
}

INSTANTIATE_TEST_SUITE_P (
    NanAndInfinities,
    HostedBadParameter,
    ::testing::Values (BadParameterCase{ "MsNanInMilliseconds", { "Mix=1", "TempoChanger=1", "MS=0.02", "Feedback=0.5" }, "MS", std::numeric_limits<float>::quiet_NaN() },
                       BadParameterCase{ "TempoChangerNan", { "Mix=1", "TempoChanger=1", "MS=0.02" }, "TempoChanger", std::numeric_limits<float>::quiet_NaN() },
                       BadParameterCase{ "TripletInfinityWhileOff", { "Mix=1" }, "Triplet", std::numeric_limits<float>::infinity() },
                       BadParameterCase{ "BypassNanWhileOn", { "Mix=1", "Feedback=0.6", "Bypass=1" }, "Bypass", std::numeric_limits<float>::quiet_NaN() }),
    [] (const auto& testInfo)
    { return std::string (testInfo.param.name); });

// Whatever "Mix" or "Feedback" are handed, the output stays finite and comes back to the normal
// sound once the value is set back.
TEST (HostedBadParameter, MixAndFeedbackNeverTurnTheOutputNaN)
{
    const echovane::testing::PluginStderrWatch pluginAssertions;
    for (const auto* id : { "Mix", "Feedback", "Sync", "Width", "Dark" })
    {
        for (const auto value : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity() })
        {
            auto plugin = loadWith ({ "Mix=1", "Feedback=0.5" });
            auto* parameter = echovane::host::findParameter (*plugin, id);
            ASSERT_NE (parameter, nullptr);
            const auto before = parameter->getValue();

            plugin->enableAllBuses();
            plugin->prepareToPlay (48000.0, 512);
            auto audio = noise (48000, 3);
            parameter->setValue (value);
            echovane::host::processInBlocks (*plugin, audio, { 512 }, nullptr);
            parameter->setValue (before);
            auto after = noise (48000, 4);
            echovane::host::processInBlocks (*plugin, after, { 512 }, nullptr);
            plugin->releaseResources();

            EXPECT_EQ (countNonFinite (audio), 0) << id << " = " << value;
            EXPECT_EQ (countNonFinite (after), 0) << id << " = " << value;
            EXPECT_GT (after.getRMSLevel (0, 24000, 24000), 0.01f) << id << " = " << value;
        }
    }
}

// The plug-in adds no delay to its signal, so the host must be told 0 samples even when the silent
// block run at each new rate takes a long time (here hundreds of thousands of samples at high
// rates, many samples of wall-clock time).
TEST (HostedLatency, ZeroEvenWhenThePreparationsBlockIsLong)
{
    for (const auto& [rate, block] : { std::pair{ 48000.0, 512 }, std::pair{ 384000.0, 262144 }, std::pair{ 192000.0, 524288 } })
    {
        auto plugin = echovane::testing::loadBuiltBundle (rate, block);
        plugin->enableAllBuses();
        plugin->prepareToPlay (rate, block);

        // A latency change reaches the host through a message, and the host also asks again
        // when it prepares the next time: give both their chance.
        echovane::testing::pumpUntil ([&]
                                      { return plugin->getLatencySamples() != 0; },
                                      300);
        plugin->releaseResources();
        plugin->prepareToPlay (rate, block);
        EXPECT_EQ (plugin->getLatencySamples(), 0) << rate << " Hz, blocks of " << block;

        // The dry click at sample 0 is where it was sent, as a latency-compensating host plays it.
        auto click = silenceWithImpulse (4096);
        echovane::host::processInBlocks (*plugin, click, { 512 }, nullptr);
        EXPECT_GT (click.getSample (0, 0), 0.4f);
        plugin->releaseResources();
    }
}

// The host's own bypass ("byps", which JUCE adds) hands the input through untouched, and the
// effect resumes when it is released.
TEST (HostedHostBypass, PassesTheInputThroughAndTheEffectResumesAfter)
{
    auto plugin = loadWith ({ "Mix=1", "Feedback=0.8", "Drive=1", "TempoChanger=1", "MS=0.01" });
    auto* hostBypass = plugin->getBypassParameter();
    ASSERT_NE (hostBypass, nullptr);
    auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (hostBypass);
    ASSERT_NE (hosted, nullptr);
    constexpr auto byps = (juce::uint32 ('b') << 24) | (juce::uint32 ('y') << 16) | (juce::uint32 ('p') << 8) | juce::uint32 ('s');
    EXPECT_EQ (hosted->getParameterID(), juce::String (byps)) << "JUCE's own bypass, VST3 ID 'byps'";

    hostBypass->setValue (1.0f);
    const auto input = noise (48000, 5);
    const auto out = renderThrough (*plugin, input, {});
    EXPECT_TRUE (sameSamples (out, input));

    hostBypass->setValue (0.0f);
    const auto echo = renderThrough (*plugin, silenceWithImpulse (4000), {});
    EXPECT_GT (std::abs (echo.getSample (0, 2400)), 0.05f) << "the repeat after MS x 5 s = 50 ms";
    EXPECT_EQ (echo.getMagnitude (0, 2, 2390), 0.0f);
}

// JUCE calls reset when the host stops processing, and batch hosts between files: the echoes
// of one file must not sound in the next.
TEST (HostedReset, TheNextRenderStartsWithoutThePreviousEchoes)
{
    auto plugin = loadWith ({ "Mix=1", "Feedback=0.7" });
    renderThrough (*plugin, noise (48000, 6), {});

    juce::AudioBuffer<float> silence (2, 48000);
    silence.clear();
    const auto out = renderThrough (*plugin, silence, {});
    EXPECT_EQ (out.getMagnitude (0, 0, 48000), 0.0f);
    EXPECT_EQ (out.getMagnitude (1, 0, 48000), 0.0f);

    // Without the stop in between, the same instance would sound the repeats.
    auto kept = loadWith ({ "Mix=1", "Feedback=0.7" });
    auto audio = noise (48000, 6);
    juce::AudioBuffer<float> tail (2, 48000);
    tail.clear();
    kept->enableAllBuses();
    kept->prepareToPlay (48000.0, 512);
    echovane::host::processInBlocks (*kept, audio, { 512 }, nullptr);
    echovane::host::processInBlocks (*kept, tail, { 512 }, nullptr);
    EXPECT_GT (tail.getMagnitude (0, 0, 48000), 0.05f);
}

TEST (RenderCommand, WritesAFloatWavOfTheRender)
{
    const auto out = juce::File::createTempFile (".wav");
    const std::vector<std::string> args{ echovane::testing::builtBundle().getFullPathName().toStdString(), "--out", out.getFullPathName().toStdString(), "--signal", "impulse", "--seconds", "1", "--set", "Mix=1", "--set", "Sync=0.5", "--bpm", "100", "--rate", "44100", "--block", "300" };

    ASSERT_EQ (echovane::host::runRender (args), 0);

    double rate = 0.0;
    const auto audio = echovane::host::readAudioFile (out, rate);
    out.deleteFile();

    EXPECT_EQ (rate, 44100.0);
    ASSERT_EQ (audio.getNumChannels(), 2);
    ASSERT_EQ (audio.getNumSamples(), 44100);

    // A quarter at 100 bpm: 0.6 s.
    EXPECT_GT (std::abs (audio.getSample (0, 26460)), 0.05f);
    EXPECT_EQ (audio.getMagnitude (0, 1, 26458), 0.0f);
}

TEST (RenderCommand, RefusesBadArguments)
{
    const auto bundle = echovane::testing::builtBundle().getFullPathName().toStdString();
    const std::vector<std::vector<std::string>> bad{
        { bundle },
        { bundle, "--out", "x.wav", "--signal", "noise" },
        { bundle, "--out", "x.wav", "--block", "0" },
        { bundle, "--out", "x.wav", "--bpm", "fast" },
        { bundle, "--out", "x.wav", "--rate", "10" },
        { bundle, "--out", "x.wav", "--in", "a.wav", "--signal", "sine" },
        { bundle, "--out", "x.wav", "--set", "Nonsense=0.5" },
        { bundle, "--out", "x.wav", "--set", "Mix=2" },
        { "/no/such/bundle.vst3", "--out", "x.wav" },
    };

    for (const auto& args : bad)
        EXPECT_THROW (echovane::host::runRender (args), echovane::host::UsageError) << args.back();
}
} // namespace
