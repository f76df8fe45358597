#include "EngineFixture.h"

#include <random>

namespace
{
using echovane::testing::Engine;
using echovane::testing::impulse;
using echovane::testing::msValueOfDelay;

// Free delays whose milliseconds and sample offsets are exact in single precision at 48 kHz.
constexpr float ms1875Samples = msValueOfDelay (1875, 48000.0);   // 39.0625 ms
constexpr float ms15000Samples = msValueOfDelay (15000, 48000.0); // 312.5 ms

/** An engine with the wet signal alone at the output and the tone filters at their extremes
    (20.2 kHz low-pass, 20 Hz high-pass), settled. */
Engine& wetOnly (Engine& engine)
{
    engine.set ("Mix", 1.0f).set ("Dark", 0.0f).set ("Bright", 0.0f).set ("Feedback", 0.0f);
    return engine;
}

/** The repeat of an impulse at `at` starts exactly `delay` samples later: nothing there
    before it (the interpolation may leak a hundredth when the single-precision delay falls a
    hair short of the whole number), the full first sample on it. */
void expectRepeatAt (const juce::AudioBuffer<float>& audio, int at, double delay, const char* name)
{
    const auto samples = static_cast<int> (std::round (delay));
    ASSERT_NEAR (delay, samples, 0.01) << name << ": the cases are whole numbers of samples";

    for (int channel = 0; channel < audio.getNumChannels(); ++channel)
    {
        const auto arrival = std::abs (audio.getSample (channel, at + samples));
        EXPECT_GT (arrival, 0.05f) << name;
        EXPECT_LT (std::abs (audio.getSample (channel, at + samples - 1)), 0.02f * arrival) << name;

        if (samples > 2)
        {
            EXPECT_LT (audio.getMagnitude (channel, at + 1, samples - 2), 1e-4f) << name << ": nothing before the repeat";
        }
    }
}

struct SyncCase
{
    const char* name;
    float sync;
    bool triplet;
    bool dotted;
    double bpm;
    double sampleRate;
    double wholeNotes; // the note of the Sync table
};

class SyncedImpulse : public ::testing::TestWithParam<SyncCase>
{
};

TEST_P (SyncedImpulse, TheFirstRepeatArrivesAfterTheNoteAtTheHostTempo)
{
    const auto& c = GetParam();
    Engine engine (c.sampleRate, 512);
    engine.playHead.bpm = c.bpm;
    wetOnly (engine).set ("Sync", c.sync).set ("Triplet", c.triplet ? 1.0f : 0.0f).set ("Dotted", c.dotted ? 1.0f : 0.0f);
    engine.settle();

    const auto multiplier = c.triplet ? 2.0 / 3.0 : (c.dotted ? 1.5 : 1.0);
    const auto delay = c.wholeNotes * 4.0 * 60.0 / c.bpm * multiplier * c.sampleRate;

    constexpr int at = 100;
    auto audio = impulse (at + static_cast<int> (delay) + 64, at);
    engine.process (audio, 512);
    expectRepeatAt (audio, at, delay, c.name);
}

INSTANTIATE_TEST_SUITE_P (NotesAndTempi,
                          SyncedImpulse,
                          ::testing::Values (SyncCase{ "Quarter", 0.6f, false, false, 120.0, 48000.0, 0.25 },
                                             SyncCase{ "QuarterTriplet", 0.6f, true, false, 120.0, 48000.0, 0.25 },
                                             SyncCase{ "QuarterDotted", 0.6f, false, true, 120.0, 48000.0, 0.25 },
                                             SyncCase{ "TripletWinsOverDotted", 0.6f, true, true, 120.0, 48000.0, 0.25 },
                                             SyncCase{ "SixtyFourth", 0.0f, false, false, 120.0, 48000.0, 1.0 / 64.0 },
                                             SyncCase{ "Sixteenth", 0.3f, false, false, 120.0, 48000.0, 1.0 / 16.0 },
                                             SyncCase{ "EighthTripletAt90", 0.4f, true, false, 90.0, 44100.0, 1.0 / 8.0 },
                                             SyncCase{ "QuarterAt90", 0.5f, false, false, 90.0, 44100.0, 0.25 },
                                             SyncCase{ "HalfDottedAt96k", 0.7f, false, true, 120.0, 96000.0, 0.5 },
                                             SyncCase{ "WholeAt120", 0.8f, false, false, 120.0, 48000.0, 1.0 },
                                             SyncCase{ "FourWholeAt120", 1.0f, false, false, 120.0, 48000.0, 4.0 }),
                          [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });

struct FreeCase
{
    const char* name;
    float ms;
    bool tripletAndDotted;
    double sampleRate;
};

class FreeImpulse : public ::testing::TestWithParam<FreeCase>
{
};

TEST_P (FreeImpulse, TheFirstRepeatArrivesAfterMsTimesFiveSeconds)
{
    const auto& c = GetParam();
    Engine engine (c.sampleRate, 256);
    wetOnly (engine).set ("TempoChanger", 1.0f).set ("MS", c.ms);

    // Triplet and Dotted do nothing in milliseconds mode.
    engine.set ("Triplet", c.tripletAndDotted ? 1.0f : 0.0f).set ("Dotted", c.tripletAndDotted ? 1.0f : 0.0f);
    engine.settle();

    const auto delay = engine.parameter ("MS").getValue() * static_cast<double> (ParameterMeaning::longestFreeDelaySeconds) * c.sampleRate;

    constexpr int at = 300;
    auto audio = impulse (at + static_cast<int> (delay) + 64, at);
    engine.process (audio, 256);
    expectRepeatAt (audio, at, delay, c.name);
}

INSTANTIATE_TEST_SUITE_P (Milliseconds,
                          FreeImpulse,
                          ::testing::Values (FreeCase{ "Default500ms", 0.1f, false, 48000.0 },
                                             FreeCase{ "Default500msIgnoresTripletAndDotted", 0.1f, true, 48000.0 },
                                             FreeCase{ "Ms61p5", 0.0123f, false, 48000.0 },
                                             FreeCase{ "FiveSeconds", 1.0f, false, 44100.0 },
                                             FreeCase{ "Ms1At96k", 0.0002f, false, 96000.0 }),
                          [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });

TEST (Delay, NoteTableForEverySyncStepAtSeveralTempi)
{
    Engine engine (48000.0, 64);
    juce::AudioBuffer<float> block (2, 64);

    for (const auto bpm : { 120.0, 90.0, 173.5 })
    {
        engine.playHead.bpm = bpm;

        for (int step = 0; step <= 100; ++step)
        {
            for (const auto& [triplet, dotted, multiplier] : { std::tuple{ 0.0f, 0.0f, 1.0 }, std::tuple{ 1.0f, 0.0f, 2.0 / 3.0 }, std::tuple{ 0.0f, 1.0f, 1.5 }, std::tuple{ 1.0f, 1.0f, 2.0 / 3.0 } })
            {
                engine.set ("Sync", step / 100.0f).set ("Triplet", triplet).set ("Dotted", dotted);
                const double sync = engine.parameter ("Sync").getValue();

                // The rows of the note table: below 0.125 1/64, ..., from 0.875 below 1 two whole notes, 1 four.
                int row = 0;

                while (row < 8 && sync >= (row + 1) / 8.0)
                    ++row;

                const auto wholeNotes = std::pow (2.0, row) / 64.0;
                const auto expectedMs = wholeNotes * 4.0 * 60000.0 / bpm * multiplier;

                block.clear();
                engine.processBlock (block);
                EXPECT_NEAR (engine.engine().getDelayTimeMs(), expectedMs, expectedMs * 1e-6) << "sync " << sync << " bpm " << bpm;
            }
        }
    }
}

struct WrapCase
{
    double bpm;
};

class LongDelay : public ::testing::TestWithParam<WrapCase>
{
};

TEST_P (LongDelay, BeyondFortySecondsSoundsAsTheRemainder)
{
    constexpr double rate = 8000.0;
    Engine engine (rate, 512);
    engine.playHead.bpm = GetParam().bpm;
    wetOnly (engine).set ("Sync", 1.0f);
    engine.settle (300, 512);

    const auto delay = 16.0 * 60.0 / GetParam().bpm * rate;
    const auto line = 40.0 * rate;
    ASSERT_GT (delay, line);
    const auto remainder = std::fmod (delay, line);

    constexpr int at = 50;
    auto audio = impulse (at + static_cast<int> (remainder) + 64, at);
    engine.process (audio, 512);

    int arrival = -1;

    for (int i = at + 1; i < audio.getNumSamples() && arrival < 0; ++i)
        if (std::abs (audio.getSample (0, i)) > 0.05f)
            arrival = i;

    EXPECT_NEAR (arrival - at, remainder, 1.5);
}

INSTANTIATE_TEST_SUITE_P (SlowTempi, LongDelay, ::testing::Values (WrapCase{ 20.0 }, WrapCase{ 10.0 }, WrapCase{ 7.0 }, WrapCase{ 23.9 }));

struct LineCase
{
    float ms;
    int delaySamples;
    float feedback;
};

class LineContents : public ::testing::TestWithParam<LineCase>
{
};

// What enters the line: the input plus the previous read times the feedback plus the previous
// input (so the input enters twice), all in single precision.
TEST_P (LineContents, EachWriteIsInputPlusPreviousReadTimesFeedbackPlusPreviousInput)
{
    const auto& c = GetParam();
    Engine engine (48000.0, 333);
    wetOnly (engine).set ("TempoChanger", 1.0f).set ("MS", c.ms).set ("Feedback", c.feedback);
    engine.settle();

    const auto feedback = engine.engine().getCurrentFeedback();
    ASSERT_NEAR (feedback, c.feedback, 1e-5f);
    ASSERT_EQ (engine.engine().getWriteIndex(), 0);

    const auto n = c.delaySamples * 3 + 1000;
    juce::AudioBuffer<float> audio (2, n);
    std::mt19937 random (3);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < n; ++i)
            audio.setSample (channel, i, uniform (random));

    const juce::AudioBuffer<float> input (audio);
    engine.process (audio, 333);

    for (int channel = 0; channel < 2; ++channel)
    {
        const auto* x = input.getReadPointer (channel);
        const auto line = [&] (int t)
        { return engine.engine().lineSample (channel, t); };
        std::vector<float> expected (static_cast<size_t> (n));
        float state = 0.0f;

        for (int t = 0; t < n; ++t)
        {
            expected[static_cast<size_t> (t)] = state + x[t];
            const auto read = t >= c.delaySamples ? expected[static_cast<size_t> (t - c.delaySamples)] : 0.0f;
            state = read * feedback + x[t];
        }

        for (int t = 0; t < n; ++t)
            ASSERT_EQ (line (t), expected[static_cast<size_t> (t)]) << "channel " << channel << " sample " << t;

        EXPECT_EQ (engine.engine().getFeedbackState()[channel], state);
    }
}

INSTANTIATE_TEST_SUITE_P (DelaysAndFeedback,
                          LineContents,
                          ::testing::Values (LineCase{ 0.0f, 0, 0.5f },
                                             LineCase{ 0.0f, 0, 0.0f },
                                             LineCase{ ms1875Samples, 1875, 0.22f },
                                             LineCase{ ms1875Samples, 1875, 0.9f },
                                             LineCase{ ms15000Samples, 15000, 0.7f }));

struct FractionalCase
{
    const char* name;
    double sampleRate;
    bool milliseconds;
    float value; // MS, or Sync for a note
    double bpm;
    double noteSamples; // the delay as the note value gives it: whole notes x 4 beats x 60 / bpm x rate
    bool triplet;
    bool dotted;
    bool acrossTheEnd; // the repeat is read back across the end of the line
};

class FractionalDelay : public ::testing::TestWithParam<FractionalCase>
{
};

// A delay of k + p samples (0 < p < 1) reads an impulse back by linear interpolation as 1 - p,
// then 1 (the input enters the line twice), then p. Fed back at gain fb, these come back into the
// line right after: fb (1 - p), fb, fb p.
TEST_P (FractionalDelay, TheRepeatIsTheImpulseInterpolatedAtTheFraction)
{
    const auto& c = GetParam();
    Engine engine (c.sampleRate, 512);
    wetOnly (engine).set ("Feedback", 0.5f).set ("TempoChanger", c.milliseconds ? 1.0f : 0.0f);
    engine.set (c.milliseconds ? "MS" : "Sync", c.value).set ("Triplet", c.triplet ? 1.0f : 0.0f).set ("Dotted", c.dotted ? 1.0f : 0.0f);
    engine.playHead.bpm = c.bpm;
    engine.settle();

    const auto length = engine.engine().getBufferLength();
    const auto delay = c.milliseconds ? static_cast<double> (engine.parameter ("MS").getValue()) * static_cast<double> (ParameterMeaning::longestFreeDelaySeconds) * c.sampleRate
                                      : c.noteSamples * (c.triplet ? 2.0 / 3.0 : (c.dotted ? 1.5 : 1.0));
    const auto k = static_cast<int> (std::floor (delay));
    const auto p = delay - k;
    ASSERT_GT (p, 0.05);
    ASSERT_LT (p, 0.95);

    if (c.acrossTheEnd)
    {
        juce::AudioBuffer<float> silence (2, length - 60);
        silence.clear();
        engine.process (silence, 512);
    }

    const auto t0 = engine.engine().getWriteIndex() + 10;
    auto audio = impulse (k + 30, 10);
    engine.process (audio, 512);

    const auto fb = static_cast<double> (engine.engine().getCurrentFeedback());
    const auto line = [&] (int t)
    { return static_cast<double> (engine.engine().lineSample (0, t % length)); };

    EXPECT_NEAR (line (t0 + k), 0.0, 2e-3) << c.name;
    EXPECT_NEAR (line (t0 + k + 1), fb * (1.0 - p), 2e-3) << c.name;
    EXPECT_NEAR (line (t0 + k + 2), fb, 2e-3) << c.name;
    EXPECT_NEAR (line (t0 + k + 3), fb * p, 2e-3) << c.name;
    EXPECT_NEAR (line (t0 + k + 4), 0.0, 2e-3) << c.name;
}

INSTANTIATE_TEST_SUITE_P (
    FreeAndSynced,
    FractionalDelay,
    ::testing::Values (FractionalCase{ "FreeQuarterSampleAt8k", 8000.0, true, 100.25f / 40000.0f, 120.0, 0.0, false, false, false },
                       FractionalCase{ "FreeHalfSampleAcrossTheEnd", 8000.0, true, 1000.5f / 40000.0f, 120.0, 0.0, false, false, true },
                       FractionalCase{ "QuarterAt97Bpm", 48000.0, false, 0.6f, 97.0, 0.25 * 4.0 * 60.0 / 97.0 * 48000.0, false, false, false },
                       FractionalCase{ "DottedSixteenthAt111BpmAt44k1", 44100.0, false, 0.3f, 111.0, 0.0625 * 4.0 * 60.0 / 111.0 * 44100.0, false, true, false },
                       FractionalCase{ "EighthTripletAcrossTheEnd", 8000.0, false, 0.4f, 160000.0 / 1200.5, 0.125 * 4.0 * 60.0 / (160000.0 / 1200.5) * 8000.0, true, false, true },
                       FractionalCase{ "QuarterAt123BpmAcrossTheEnd", 8000.0, false, 0.6f, 480000.0 / 3900.75, 0.25 * 4.0 * 60.0 / (480000.0 / 3900.75) * 8000.0, false, false, true }),
    [] (const auto& testInfo)
    { return std::string (testInfo.param.name); });

TEST (Delay, MsZeroAnswersInTheSameSample)
{
    Engine engine (48000.0, 128);
    wetOnly (engine).set ("TempoChanger", 1.0f).set ("MS", 0.0f);
    engine.settle();

    constexpr int at = 77;
    auto audio = impulse (256, at);
    engine.process (audio, 128);

    EXPECT_LT (audio.getMagnitude (0, 0, at), 1e-6f);
    EXPECT_GT (audio.getSample (0, at), 0.2f);
}

struct RepeatCase
{
    float feedback;
};

class Repeats : public ::testing::TestWithParam<RepeatCase>
{
};

// Each trip round the loop scales a repeat by the feedback gain and, because the feedback
// value is written with the next sample, arrives one sample later than a multiple of the delay.
TEST_P (Repeats, DecayByTheFeedbackGainPerTrip)
{
    const auto feedback = GetParam().feedback;
    Engine engine (48000.0, 512);
    wetOnly (engine).freeDelay (15000).set ("MS", ms15000Samples).set ("Feedback", feedback);
    engine.settle();

    constexpr int delay = 15000;
    constexpr int at = 10;
    auto audio = impulse (at + 4 * delay + 100, at);
    engine.process (audio, 512);

    float previous = 0.0f;

    for (int k = 1; k <= 4; ++k)
    {
        const auto start = at + k * delay + (k - 1);
        const auto first = audio.getSample (0, start);
        EXPECT_LT (std::abs (audio.getSample (0, start - 1)), 1e-3f * std::abs (first)) << "repeat " << k;

        if (k > 1)
        {
            EXPECT_NEAR (first / previous, feedback, 1e-3f) << "repeat " << k;
        }

        previous = first;
    }
}

INSTANTIATE_TEST_SUITE_P (Gains, Repeats, ::testing::Values (RepeatCase{ 0.22f }, RepeatCase{ 0.5f }, RepeatCase{ 0.9f }));

struct TiltCase
{
    double frequency;
};

class Tilt : public ::testing::TestWithParam<TiltCase>
{
};

// x[t] + x[t-1]: gain 2 cos (pi f / fs), 2 at low frequencies and nothing at the Nyquist frequency.
TEST_P (Tilt, TheLineHoldsAFirstOrderLowPassOfTheInput)
{
    constexpr double rate = 48000.0;
    const auto f = GetParam().frequency;
    Engine engine (rate, 512);
    wetOnly (engine).freeDelay (1875).set ("MS", ms1875Samples);
    engine.settle();

    constexpr int n = 48000;
    juce::AudioBuffer<float> audio (2, n);

    for (int i = 0; i < n; ++i)
        for (int channel = 0; channel < 2; ++channel)
            audio.setSample (channel, i, static_cast<float> (0.25 * std::cos (juce::MathConstants<double>::twoPi * f * i / rate)));

    const juce::AudioBuffer<float> input (audio);
    engine.process (audio, 512);

    double lineSquares = 0.0, inputSquares = 0.0;

    for (int i = 1000; i < n; ++i)
    {
        lineSquares += juce::square (static_cast<double> (engine.engine().lineSample (0, i)));
        inputSquares += juce::square (static_cast<double> (input.getSample (0, i)));
    }

    const auto expected = std::abs (2.0 * std::cos (juce::MathConstants<double>::pi * f / rate));
    EXPECT_NEAR (std::sqrt (lineSquares / inputSquares), expected, 1e-3);
}

INSTANTIATE_TEST_SUITE_P (Frequencies, Tilt, ::testing::Values (TiltCase{ 100.0 }, TiltCase{ 6000.0 }, TiltCase{ 12000.0 }, TiltCase{ 20000.0 }, TiltCase{ 24000.0 }));

struct StereoCase
{
    float widthParameter;
    float balance;
    double left; // the repeat's left and right sides, as fractions of a left-only repeat
    double right;
};

class WidthAndBalance : public ::testing::TestWithParam<StereoCase>
{
};

TEST_P (WidthAndBalance, MatrixOfALeftOnlyRepeat)
{
    const auto measure = [] (float widthParameter, float balance)
    {
        Engine engine (48000.0, 512);
        wetOnly (engine).freeDelay (1875).set ("MS", ms1875Samples).set ("Width", widthParameter).set ("Balance", balance);
        engine.settle();

        constexpr int at = 20;
        auto audio = impulse (at + 1875 + 10, at, 0.5f, true, false);
        engine.process (audio, 512);
        return std::pair{ audio.getSample (0, at + 1875), audio.getSample (1, at + 1875) };
    };

    // Width 1 at balance 0 leaves the left repeat as it is: the filters' gain on a first sample.
    const auto unit = measure (0.5f, 0.0f).first;
    ASSERT_GT (unit, 0.1f);

    const auto& c = GetParam();
    const auto [left, right] = measure (c.widthParameter, c.balance);
    EXPECT_NEAR (left / unit, c.left, 1e-4);
    EXPECT_NEAR (right / unit, c.right, 1e-4);
}

// The expected sides of a repeat u on the left alone: width 0 gives (u/2, u/2), width 1 gives
// (u, 0), width 2 gives (u, -u/3) (s0 - s1/3 and s1 - s0/3), width 0.5 gives (3u/4, u/4) and 1.5
// gives (u, -u/5); then the balance b scales the left by 1 - b and the right by b.
INSTANTIATE_TEST_SUITE_P (Settings,
                          WidthAndBalance,
                          ::testing::Values (StereoCase{ 0.0f, 0.5f, 0.25, 0.25 },
                                             StereoCase{ 0.5f, 0.5f, 0.5, 0.0 },
                                             StereoCase{ 1.0f, 0.5f, 0.5, -1.0 / 6.0 },
                                             StereoCase{ 0.0f, 0.0f, 0.5, 0.0 },
                                             StereoCase{ 1.0f, 1.0f, 0.0, -1.0 / 3.0 },
                                             StereoCase{ 0.25f, 0.8f, 0.15, 0.2 },
                                             StereoCase{ 0.75f, 0.2f, 0.8, -0.04 }));

TEST (Drive, AChangeReachesTheSoundOneBlockLater)
{
    Engine changed (48000.0, 512), unchanged (48000.0, 512);

    for (auto* engine : { &changed, &unchanged })
        engine->freeDelay (1875).set ("MS", ms1875Samples).set ("Feedback", 0.5f);

    juce::AudioBuffer<float> a (2, 512), b (2, 512);
    int phase = 0;

    const auto next = [&]
    {
        for (int i = 0; i < 512; ++i, ++phase)
            for (int channel = 0; channel < 2; ++channel)
                a.setSample (channel, i, static_cast<float> (0.3 * std::sin (phase * 0.05)));

        b.makeCopyOf (a);
        changed.processBlock (a);
        unchanged.processBlock (b);
    };

    for (int block = 0; block < 10; ++block)
        next();

    changed.set ("Drive", 1.0f);
    next();

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ (a.getSample (channel, i), b.getSample (channel, i)) << "the block of the change is undriven";

    EXPECT_EQ (changed.engine().getCurrentDrive(), 0.0f);
    next();
    EXPECT_EQ (changed.engine().getCurrentDrive(), 1.0f);

    float difference = 0.0f;

    for (int i = 0; i < 512; ++i)
        difference = std::max (difference, std::abs (a.getSample (0, i) - b.getSample (0, i)));

    EXPECT_GT (difference, 0.01f) << "the next block is driven";
}

struct DriveCase
{
    float drive;
};

class DriveAmount : public ::testing::TestWithParam<DriveCase>
{
};

TEST_P (DriveAmount, BlendsTanhOfSixTimesTheRepeatWithTheRepeat)
{
    const auto measure = [] (float drive)
    {
        Engine engine (48000.0, 512);
        wetOnly (engine).freeDelay (1875).set ("MS", ms1875Samples).set ("Drive", drive);
        engine.settle();

        constexpr int at = 20;
        auto audio = impulse (at + 1875 + 10, at, 0.125f);
        engine.process (audio, 512);
        return audio.getSample (0, at + 1875);
    };

    const auto clean = measure (0.0f);
    const auto drive = GetParam().drive;
    const auto expected = (std::tanh (0.125 * 6.0) * drive + 0.125 * (1.0 - drive)) / 0.125;
    EXPECT_NEAR (measure (drive) / clean, expected, 1e-4);
}

INSTANTIATE_TEST_SUITE_P (Amounts, DriveAmount, ::testing::Values (DriveCase{ 0.25f }, DriveCase{ 0.5f }, DriveCase{ 1.0f }));
} // namespace
