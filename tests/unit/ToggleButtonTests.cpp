#include "editor/ToggleButtons.h"
#include "support/ConcurrencyTests.h"
#include "support/EditorProbe.h"
#include "support/ParameterLog.h"
#include "support/StateBlocks.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
using echovane::testing::clickAt;
using echovane::testing::hostParameter;
using echovane::testing::Log;
using echovane::testing::ParameterLog;
using echovane::testing::sortedPart;
using echovane::testing::writeFromAnotherThread;
using echovane::testing::writeOnThisThread;
using P = ParameterIndex::Bool;

/** The three toggles on one processor's parameters, side by side in a visible parent, as the
    control row holds them. */
struct Toggles
{
    Toggles()
    {
        parent.setBounds (0, 0, 300, 40);
        parent.setVisible (true);

        for (auto* toggle : { static_cast<juce::Component*> (&triplet), static_cast<juce::Component*> (&dotted), static_cast<juce::Component*> (&bypass) })
            parent.addAndMakeVisible (toggle);

        triplet.setBounds (0, 0, 100, 40);
        dotted.setBounds (100, 0, 100, 40);
        bypass.setBounds (200, 0, 100, 40);
    }

    void set (P index, float value) { hostParameter (processor, index).setValue (value); }
    float value (P index) { return hostParameter (processor, index).getValue(); }
    void click (juce::Component& toggle) { clickAt (parent, toggle.getBounds().getCentre()); }

    OvelanAudioProcessor processor;
    juce::Component parent;
    TripletButton triplet{ processor.boolParameters->at (P::triplet), processor.boolParameters->at (P::dotted), processor.boolParameters->at (P::tempoChanger) };
    DottedComponent dotted{ processor.boolParameters->at (P::dotted), processor.boolParameters->at (P::triplet), processor.boolParameters->at (P::tempoChanger) };
    ByPassButtonComponent bypass{ processor.boolParameters->at (P::bypass) };
};

enum class Which
{
    triplet,
    dotted,
    bypass
};

struct ClickCase
{
    const char* name;
    Which clicked;
    float triplet, dotted, tempoChanger, bypass;
    Log expectedLog;
    float tripletAfter, dottedAfter, bypassAfter;
};

void PrintTo (const ClickCase& c, std::ostream* os)
{
    *os << c.name;
}

class ToggleClick : public ::testing::TestWithParam<ClickCase>
{
};

TEST_P (ToggleClick, WritesOneGestureAndClearsThePartnerInsideIt)
{
    const auto& c = GetParam();
    Toggles toggles;
    toggles.set (P::triplet, c.triplet);
    toggles.set (P::dotted, c.dotted);
    toggles.set (P::tempoChanger, c.tempoChanger);
    toggles.set (P::bypass, c.bypass);
    ParameterLog log (toggles.processor);

    juce::Component* clicked = c.clicked == Which::triplet ? static_cast<juce::Component*> (&toggles.triplet)
        : c.clicked == Which::dotted                       ? static_cast<juce::Component*> (&toggles.dotted)
                                                           : static_cast<juce::Component*> (&toggles.bypass);
    toggles.click (*clicked);

    EXPECT_EQ (log.entries, c.expectedLog);
    EXPECT_EQ (toggles.value (P::triplet), c.tripletAfter);
    EXPECT_EQ (toggles.value (P::dotted), c.dottedAfter);
    EXPECT_EQ (toggles.value (P::bypass), c.bypassAfter);
    EXPECT_EQ (toggles.value (P::tempoChanger), c.tempoChanger);
}

const ClickCase clickCases[] = {
    { "TripletOnClearsDotted", Which::triplet, 0, 1, 0, 0, { "Triplet(", "Triplet=1", "Dotted=0", "Triplet)" }, 1, 0, 0 },
    { "DottedOnClearsTriplet", Which::dotted, 1, 0, 0, 0, { "Dotted(", "Dotted=1", "Triplet=0", "Dotted)" }, 0, 1, 0 },
    // The partner is cleared, with its notification, even when it was off already.
    { "TripletOnClearsAnOffDottedToo", Which::triplet, 0, 0, 0, 0, { "Triplet(", "Triplet=1", "Dotted=0", "Triplet)" }, 1, 0, 0 },
    { "TripletOffLeavesDottedAlone", Which::triplet, 1, 0, 0, 0, { "Triplet(", "Triplet=0", "Triplet)" }, 0, 0, 0 },
    { "HalfCountsAsOn", Which::dotted, 0, 0.5f, 0, 0, { "Dotted(", "Dotted=0", "Dotted)" }, 0, 0, 0 },
    { "TripletInertInMillisecondsMode", Which::triplet, 0, 1, 1, 0, { "Triplet(", "Triplet)" }, 0, 1, 0 },
    { "DottedInertInMillisecondsMode", Which::dotted, 1, 0, 0.5f, 0, { "Dotted(", "Dotted)" }, 1, 0, 0 },
    { "BypassOnInSyncedMode", Which::bypass, 0, 0, 0, 0, { "Bypass(", "Bypass=1", "Bypass)" }, 0, 0, 1 },
    { "BypassOffInMillisecondsMode", Which::bypass, 1, 0, 1, 1, { "Bypass(", "Bypass=0", "Bypass)" }, 1, 0, 0 },
};

INSTANTIATE_TEST_SUITE_P (Toggles, ToggleClick, ::testing::ValuesIn (clickCases), [] (const auto& testCase)
                          { return std::string (testCase.param.name); });

TEST (Toggles, EveryModeNotificationClearsBothVariantsWhateverItsValue)
{
    Toggles toggles;
    auto& tempoChanger = hostParameter (toggles.processor, P::tempoChanger);

    for (const auto mode : { 1.0f, 0.0f, 0.0f, 0.7f })
    {
        SCOPED_TRACE (mode);
        toggles.set (P::triplet, 1.0f);
        toggles.set (P::dotted, 1.0f);
        ParameterLog log (toggles.processor);

        writeOnThisThread (tempoChanger, mode);

        // Both clear, each with its notification, before the writing call returns.
        const auto modeEntry = "TempoChanger=" + juce::String (mode).toStdString();
        EXPECT_EQ (sortedPart (log.entries, 1), (Log{ modeEntry, "Dotted=0", "Triplet=0" }));
        EXPECT_EQ (toggles.value (P::triplet), 0.0f);
        EXPECT_EQ (toggles.value (P::dotted), 0.0f);
    }
}

CONCURRENCY_TEST (Toggles, HostAutomationIsHandledOnTheMessageThread)
{
    Toggles toggles;
    toggles.set (P::dotted, 1.0f);

    writeFromAnotherThread (hostParameter (toggles.processor, P::triplet), 1.0f);
    EXPECT_EQ (toggles.value (P::dotted), 1.0f) << "nothing is written on the host's thread";

    ParameterFollower::deliverAllPending();
    EXPECT_EQ (toggles.value (P::dotted), 0.0f);
    EXPECT_EQ (toggles.value (P::triplet), 1.0f);

    writeFromAnotherThread (hostParameter (toggles.processor, P::tempoChanger), 1.0f);
    EXPECT_EQ (toggles.value (P::triplet), 1.0f);
    ParameterFollower::deliverAllPending();
    EXPECT_EQ (toggles.value (P::triplet), 0.0f);
}

// A host that turns a variant on and off again between two ticks of the message thread: the
// "on" was notified, so its twin must still be cleared, and the toggle ends off.
struct ShortPulseCase
{
    const char* name;
    P pulsed, twin;
};

void PrintTo (const ShortPulseCase& test, std::ostream* out) { *out << test.name; }

class ShortPulse : public ::testing::TestWithParam<ShortPulseCase>
{
};

CONCURRENCY_TEST_P (ShortPulse, FromTheHostStillClearsTheTwin)
{
    const auto& test = GetParam();
    Toggles toggles;
    toggles.set (test.twin, 1.0f);
    auto& pulsed = hostParameter (toggles.processor, test.pulsed);

    std::thread ([&pulsed]
                 {
                     writeOnThisThread (pulsed, 1.0f);
                     writeOnThisThread (pulsed, 0.0f); })
        .join();

    ParameterFollower::deliverAllPending();
    EXPECT_EQ (toggles.value (test.twin), 0.0f);
    EXPECT_EQ (toggles.value (test.pulsed), 0.0f);
}

INSTANTIATE_TEST_SUITE_P (Variants,
                          ShortPulse,
                          ::testing::Values (ShortPulseCase{ "TripletClearsDotted", P::triplet, P::dotted },
                                             ShortPulseCase{ "DottedClearsTriplet", P::dotted, P::triplet }),
                          [] (const auto& testCase)
                          { return std::string (testCase.param.name); });

/** The outline colour a variant toggle shows: sampled on its left edge, halfway down. */
juce::Colour outlineOf (juce::Component& toggle)
{
    const auto image = toggle.createComponentSnapshot (toggle.getLocalBounds());
    return image.getPixelAt (static_cast<int> (0.03 * toggle.getWidth()), toggle.getHeight() / 2);
}

TEST (Toggles, ARestoredStateEscapesTheExclusionAndEachShowsItsOwnValue)
{
    Toggles toggles;
    const auto block = echovane::testing::stateBlockWithElement ("<Delay Triplet=\"1\" Dotted=\"1\" Bypass=\"1\"/>");
    toggles.processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

    EXPECT_EQ (toggles.value (P::triplet), 1.0f);
    EXPECT_EQ (toggles.value (P::dotted), 1.0f);
    EXPECT_TRUE (toggles.triplet.isOn());
    EXPECT_TRUE (toggles.dotted.isOn());
    EXPECT_TRUE (toggles.bypass.isOn());

    const juce::Colour onOutline (0xff01c7d4), offOutline (0xff007887);
    EXPECT_EQ (outlineOf (toggles.triplet), onOutline);
    EXPECT_EQ (outlineOf (toggles.dotted), onOutline);

    // The next click restores the rule: DOTTED off, TRIPLET untouched.
    toggles.click (toggles.dotted);
    EXPECT_EQ (toggles.value (P::dotted), 0.0f);
    EXPECT_EQ (toggles.value (P::triplet), 1.0f);
    EXPECT_EQ (outlineOf (toggles.dotted), offOutline);
}

} // namespace
