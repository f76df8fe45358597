#include "BundleFixture.h"
#include "Commands.h"
#include "PluginLoader.h"
#include "Render.h"

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
