#include "EngineFixture.h"
#include "editor/TimeButtonWrapper.h"
#include "engine/ParameterMeaning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using echovane::testing::Engine;

constexpr auto notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr auto infinity = std::numeric_limits<float>::infinity();

/** One short silent block, so that the engine takes up the parameters' current values. */
void runOneBlock (Engine& engine)
{
    juce::AudioBuffer<float> block (2, 16);
    block.clear();
    engine.processBlock (block);
}

// The engine reads the toggles for every sample through JUCE's own AudioParameterBool::get(), and
// through isOn where it must tell NaN apart; the controls and the saved state use isOn. Both
// must draw the line at the same place.
TEST (BoolMeaning, IsOnWhereJucesBoolCountsOn)
{
    const float values[] = { -infinity, -1.0f, 0.0f, 0.25f, std::nextafter (0.5f, 0.0f), 0.5f, std::nextafter (0.5f, 1.0f), 0.7f, 1.0f, 2.0f, infinity, notANumber };
    BoolParameter parameter ("Probe", "Probe", false);

    for (const auto value : values)
    {
        asHostParameter (&parameter).setValue (value);
        EXPECT_EQ (ParameterMeaning::isOn (value), parameter.get()) << value;
    }

    EXPECT_TRUE (ParameterMeaning::isOn (0.5f));
    EXPECT_FALSE (ParameterMeaning::isOn (std::nextafter (0.5f, 0.0f)));
    EXPECT_FALSE (ParameterMeaning::isOn (notANumber));
}

// The engine's own Bypass, read once per block, is on from the same value.
TEST (BoolMeaning, TheEngineIsBypassedFromTheSameValue)
{
    for (const auto value : { 0.0f, std::nextafter (0.5f, 0.0f), 0.5f, 0.7f, 1.0f })
    {
        Engine engine;
        engine.set ("Bypass", value);

        // Half dry, half an empty line's silence unless bypassed.
        auto audio = echovane::testing::impulse (64, 0);
        engine.processBlock (audio);
        const auto passedThrough = audio.getSample (0, 0) == 1.0f && audio.getSample (1, 0) == 1.0f;
        EXPECT_EQ (passedThrough, ParameterMeaning::isOn (value)) << value;
    }
}

TEST (MsMeaning, FullScaleIsFiveThousandMilliseconds)
{
    EXPECT_EQ (ParameterMeaning::longestFreeDelayMs, 5000);
    EXPECT_EQ (ParameterMeaning::freeDelayMs (1.0f), 5000.0f);
    EXPECT_EQ (ParameterMeaning::freeDelayMs (0.0f), 0.0f);
    EXPECT_EQ (ParameterMeaning::msValueFor (5000), 1.0f);
    EXPECT_EQ (ParameterMeaning::msValueFor (0), 0.0f);
    EXPECT_EQ (ParameterMeaning::msValueFor (300), static_cast<float> (300 / 5000.0));

    // The two single-precision steps, seconds then milliseconds, not one product.
    const auto value = 0.0002f;
    EXPECT_EQ (ParameterMeaning::freeDelayMs (value), value * 5.0f * 1000.0f);
    EXPECT_LT (ParameterMeaning::freeDelayMs (value), value * 5000.0f);
}

// A typed time, the engine's delay and the read-out's text are one number of milliseconds.
TEST (MsMeaning, TheEngineDelaysByTheTypedAndShownMilliseconds)
{
    Engine engine;
    engine.set ("TempoChanger", 1.0f);

    for (const auto milliseconds : { 0, 1, 7, 300, 1234, 4999, 5000 })
    {
        const auto value = ParameterMeaning::msValueFor (milliseconds);
        engine.set ("MS", value);
        runOneBlock (engine);

        EXPECT_EQ (std::lround (engine.engine().getDelayTimeMs()), milliseconds);
        EXPECT_EQ (TimeCompassWrapper::millisecondsText (value), std::to_string (milliseconds));
    }
}

struct NoteIndexCase
{
    float sync;
    int index;
};

TEST (SyncMeaning, EachEighthOfTheRangeIsOneNoteValueAndOnlyOneIsTheLongest)
{
    const NoteIndexCase cases[] = {
        { 0.0f, 0 },
        { std::nextafter (0.125f, 0.0f), 0 },
        { 0.125f, 1 },
        { 0.25f, 2 },
        { 0.49f, 3 },
        { 0.5f, 4 },
        { 0.87f, 6 },
        { 0.875f, 7 },
        { std::nextafter (1.0f, 0.0f), 7 },
        { 1.0f, 8 },
        { 2.0f, 8 },
        { infinity, 8 },
        { -0.1f, 0 },
        { -infinity, 0 },
        { notANumber, 0 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (ParameterMeaning::noteIndexOf (c.sync), c.index) << c.sync;

    ASSERT_EQ (ParameterMeaning::noteCount, 9);

    for (int index = 0; index < ParameterMeaning::noteCount; ++index)
        EXPECT_EQ (ParameterMeaning::noteValues[index], std::ldexp (1.0, index) / 64.0) << index;
}

// The read-out names the note value the engine delays by: at 120 bpm a whole note is 2000 ms.
TEST (SyncMeaning, TheEngineDelaysByTheNoteTheReadOutShows)
{
    Engine engine;
    engine.playHead.bpm = 120.0;
    engine.set ("TempoChanger", 0.0f).set ("Triplet", 0.0f).set ("Dotted", 0.0f);

    for (int percent = 0; percent <= 100; ++percent)
    {
        engine.set ("Sync", static_cast<float> (percent) / 100.0f);
        runOneBlock (engine);

        const auto shown = TimeCompassWrapper::noteValueText (engine.parameter ("Sync").getValue());
        const auto wholeNotes = shown.rfind ("1/", 0) == 0 ? 1.0 / std::stoi (shown.substr (2)) : static_cast<double> (std::stoi (shown));
        EXPECT_EQ (engine.engine().getDelayTimeMs(), static_cast<float> (wholeNotes * 2000.0)) << percent << " % shows " << shown;
    }
}
} // namespace
