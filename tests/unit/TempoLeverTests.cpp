#include "editor/TempoCompassComponent.h"
#include "editor/ToggleButtons.h"
#include "support/ConcurrencyTests.h"
#include "support/EditorProbe.h"
#include "support/ParameterLog.h"
#include "support/StateBlocks.h"

#include <gtest/gtest.h>

namespace
{
using echovane::testing::clickAt;
using echovane::testing::findDescendant;
using echovane::testing::hostParameter;
using echovane::testing::Log;
using echovane::testing::openEditor;
using echovane::testing::ParameterLog;
using echovane::testing::sortedPart;
using echovane::testing::writeFromAnotherThread;
using echovane::testing::writeOnThisThread;
using P = ParameterIndex::Bool;

constexpr float towardsMs = 0.5f;
constexpr float towardsTempo = -0.5f;

/** The lever holder with the two variant toggles on the same processor, in a visible parent;
    counts the lever's calls to re-lay out the TIME knob. */
struct Lever
{
    Lever() { build(); }

    void build()
    {
        button = std::make_unique<TempoChangerButton> (processor.boolParameters->at (P::tempoChanger));
        parent.setBounds (0, 0, 300, 300);
        parent.setVisible (true);
        parent.addAndMakeVisible (button.get());
        button->setBounds (100, 100, 100, 100);
        lever().onModeChanged = [this]
        { ++timeLayouts; };
    }

    TempoCompassComponent& lever() { return button->getLever(); }

    void click()
    {
        // The lever is tilted: aim at the middle of its picture as transformed on screen.
        const auto centre = parent.getLocalPoint (&lever(), lever().getLocalBounds().getCentre());
        ASSERT_EQ (parent.getComponentAt (centre), &lever());
        clickAt (parent, centre);
    }

    /** The transform the lever must carry at `angle` for its current size. */
    juce::AffineTransform expectedTransform (float angle)
    {
        const auto w = static_cast<float> (lever().getWidth());
        const auto h = static_cast<float> (lever().getHeight());
        return juce::AffineTransform::rotation (angle, 0.995f * w, 0.33f * h + h);
    }

    void expectTilt (float angle)
    {
        EXPECT_EQ (lever().getAngle(), angle);
        EXPECT_TRUE (lever().getTransform() == expectedTransform (angle));
    }

    float value (P index) { return hostParameter (processor, index).getValue(); }

    OvelanAudioProcessor processor;
    juce::Component parent;
    std::unique_ptr<TempoChangerButton> button;
    int timeLayouts = 0;
    TripletButton triplet{ processor.boolParameters->at (P::triplet), processor.boolParameters->at (P::dotted), processor.boolParameters->at (P::tempoChanger) };
    DottedComponent dotted{ processor.boolParameters->at (P::dotted), processor.boolParameters->at (P::triplet), processor.boolParameters->at (P::tempoChanger) };
};

TEST (TempoLever, AClickInSyncedModeIsOneGestureHoldingOneWithTheVariantsClearedInsideIt)
{
    Lever lever;
    hostParameter (lever.processor, P::triplet).setValue (1.0f);
    lever.expectTilt (towardsTempo);
    ParameterLog log (lever.processor);

    lever.click();

    EXPECT_EQ (sortedPart (log.entries, 2, 1), (Log{ "TempoChanger(", "TempoChanger=1", "Dotted=0", "Triplet=0", "TempoChanger)" }));
    EXPECT_TRUE (lever.lever().isMillisecondsMode);
    lever.expectTilt (towardsMs);
    EXPECT_GE (lever.timeLayouts, 1);
    EXPECT_EQ (lever.value (P::triplet), 0.0f);
}

TEST (TempoLever, AClickInMillisecondsModeWritesZeroAndLeansTowardsTempo)
{
    Lever lever;
    lever.click();
    ParameterLog log (lever.processor);
    lever.timeLayouts = 0;

    lever.click();

    EXPECT_EQ (sortedPart (log.entries, 2, 1), (Log{ "TempoChanger(", "TempoChanger=0", "Dotted=0", "Triplet=0", "TempoChanger)" }));
    EXPECT_FALSE (lever.lever().isMillisecondsMode);
    lever.expectTilt (towardsTempo);
    EXPECT_GE (lever.timeLayouts, 1);
}

struct HostSequence
{
    const char* name;
    std::vector<float> values;
    bool millisecondsAfter;
    int modeChanges;
};

void PrintTo (const HostSequence& c, std::ostream* os)
{
    *os << c.name;
}

class TempoLeverFromHost : public ::testing::TestWithParam<HostSequence>
{
};

CONCURRENCY_TEST_P (TempoLeverFromHost, TakesOnlyNotificationsThatCrossTheMiddle)
{
    const auto& c = GetParam();
    Lever lever;
    auto& tempoChanger = hostParameter (lever.processor, P::tempoChanger);

    for (const auto value : c.values)
    {
        writeFromAnotherThread (tempoChanger, value);
        ParameterFollower::deliverAllPending();
    }

    EXPECT_EQ (lever.lever().isMillisecondsMode, c.millisecondsAfter);
    EXPECT_EQ (lever.timeLayouts, c.modeChanges);
    lever.expectTilt (c.millisecondsAfter ? towardsMs : towardsTempo);
}

const HostSequence hostSequences[] = {
    { "SecondOfTwoAboveIsIgnored", { 0.7f, 0.9f }, true, 1 },
    { "SecondOfTwoBelowIsIgnored", { 0.7f, 0.3f, 0.2f }, false, 2 },
    { "HalfCountsAsMilliseconds", { 0.5f }, true, 1 },
    { "JustBelowHalfIsSynced", { 0.4999f }, false, 0 },
    { "EveryCrossingCounts", { 1.0f, 0.0f, 1.0f, 0.0f }, false, 4 },
};

INSTANTIATE_TEST_SUITE_P (Host, TempoLeverFromHost, ::testing::ValuesIn (hostSequences), [] (const auto& testCase)
                          { return std::string (testCase.param.name); });

TEST (TempoLever, ARestoredModeIsSeenOnlyAtTheNextClickWhichCatchesUp)
{
    Lever lever;
    const auto block = echovane::testing::stateBlockWithElement ("<Delay TempoChanger=\"1\"/>");
    lever.processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

    EXPECT_FALSE (lever.lever().isMillisecondsMode);
    lever.expectTilt (towardsTempo);

    ParameterLog log (lever.processor);
    lever.click();

    // The flipped flag gives 1, the value already stored; the lever catches up with it.
    EXPECT_EQ (sortedPart (log.entries, 2, 1), (Log{ "TempoChanger(", "TempoChanger=1", "Dotted=0", "Triplet=0", "TempoChanger)" }));
    EXPECT_TRUE (lever.lever().isMillisecondsMode);
    lever.expectTilt (towardsMs);
}

TEST (TempoLever, AReopenedLeverStandsAtTheCurrentModeAndResizingKeepsTheTilt)
{
    Lever lever;
    writeOnThisThread (hostParameter (lever.processor, P::tempoChanger), 1.0f);

    lever.button.reset();
    lever.build();
    EXPECT_TRUE (lever.lever().isMillisecondsMode);
    lever.expectTilt (towardsMs);

    // A new width moves the pivot with the lever's size; a new height alone leaves the
    // transform as it was.
    for (const auto& bounds : { juce::Rectangle<int> (0, 0, 150, 150), juce::Rectangle<int> (0, 0, 80, 80), juce::Rectangle<int> (3, 5, 80, 200) })
    {
        SCOPED_TRACE (bounds.toString());
        lever.button->setBounds (bounds);
        EXPECT_EQ (lever.lever().getAngle(), towardsMs);
    }

    lever.button->setBounds (0, 0, 150, 150);
    lever.expectTilt (towardsMs);
}

TEST (TempoLever, RotationStaysWithinHalfARadianAndNeverStopsUpright)
{
    Lever lever;
    auto& l = lever.lever();

    l.rotate (-1.0f);
    EXPECT_EQ (l.getAngle(), -0.5f);
    l.rotate (0.5f);
    EXPECT_EQ (l.getAngle(), -0.5f) << "an upright result keeps the tilt";
    l.rotate (0.2f);
    EXPECT_FLOAT_EQ (l.getAngle(), -0.3f);
    l.rotate (1.0f);
    EXPECT_EQ (l.getAngle(), 0.5f);
    l.rotate (-0.5f);
    EXPECT_EQ (l.getAngle(), 0.5f);
}

TEST (TempoLever, CaptionsSitRightAboveTheLever)
{
    Lever lever;
    auto& wrapper = *lever.button->compassWrapper;

    // A holder of 100 x 100 gives the wrapper a square of 75 at (12, 15).
    EXPECT_EQ (wrapper.getBounds(), juce::Rectangle<int> (12, 15, 75, 75));
    EXPECT_EQ (lever.button->tempoLabel->getBounds(), juce::Rectangle<int> (25, 5, 50, 24));

    // Lever 37.5 x 37.5 standing on the bottom; captions 11.25 high right above it.
    EXPECT_EQ (lever.lever().getBounds(), juce::Rectangle<int> (18, 37, 37, 37));
    EXPECT_EQ (wrapper.msCaption.getBounds(), juce::Rectangle<int> (41, 26, 30, 11));
    EXPECT_EQ (wrapper.tempoCaption.getBounds(), juce::Rectangle<int> (0, 26, 45, 11));
    EXPECT_EQ (wrapper.msCaption.getText(), "MS");
    EXPECT_EQ (wrapper.tempoCaption.getText(), "TEMPO");
    EXPECT_FLOAT_EQ (wrapper.msCaption.getFont().getHeight(), 11.25f);
}

// The lever is drawn turned about a pivot below it, and its holder clips whatever the turn
// carries outside. Drawn here unclipped, on a canvas with a margin around the holder, exactly as
// JUCE places it (position, then transform): no visible pixel may fall outside the holder.
int leverPixelsOutsideItsHolder (const TempoCompassComponent& lever, juce::Drawable& picture)
{
    const auto holder = lever.getParentComponent()->getLocalBounds();
    const auto margin = holder.getWidth();
    juce::Image canvas (juce::Image::ARGB, holder.getWidth() + 2 * margin, holder.getHeight() + 2 * margin, true);

    {
        juce::Graphics g (canvas);
        g.addTransform (juce::AffineTransform::translation (lever.getPosition().toFloat())
                            .followedBy (lever.getTransform())
                            .translated (static_cast<float> (margin), static_cast<float> (margin)));
        picture.drawWithin (g, lever.getLocalBounds().toFloat(), juce::RectanglePlacement::stretchToFit, 1.0f);
    }

    const auto inside = holder.translated (margin, margin);
    int outside = 0;

    for (int y = 0; y < canvas.getHeight(); ++y)
        for (int x = 0; x < canvas.getWidth(); ++x)
            if (! inside.contains (x, y) && canvas.getPixelAt (x, y).getAlpha() > 16)
                ++outside;

    return outside;
}

TEST (TempoLever, StaysInsideItsHolderInBothModesAtEverySize)
{
    const juce::Point<int> editorSizes[] = { { 800, 384 }, { 1000, 480 }, { 1500, 720 }, { 1237, 611 }, { 700, 480 }, { 1000, 300 } };

    for (const auto mode : { 0.0f, 1.0f })
    {
        OvelanAudioProcessor processor;
        writeOnThisThread (hostParameter (processor, P::tempoChanger), mode);
        auto editor = openEditor (processor);
        auto* holder = findDescendant<TempoChangerButton> (*editor);
        ASSERT_NE (holder, nullptr);

        for (const auto size : editorSizes)
        {
            editor->setSize (size.x, size.y);
            SCOPED_TRACE (juce::String (size.x) + " x " + juce::String (size.y) + (mode > 0.5f ? " milliseconds" : " synced"));
            ASSERT_EQ (holder->getLever().getAngle(), mode > 0.5f ? towardsMs : towardsTempo);
            EXPECT_EQ (leverPixelsOutsideItsHolder (holder->getLever(), *holder->leverPicture), 0);
        }
    }
}
} // namespace
