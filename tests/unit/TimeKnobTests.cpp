#include "editor/DelayRow.h"
#include "engine/ParameterMeaning.h"
#include "support/ConcurrencyTests.h"
#include "support/EditorProbe.h"
#include "support/MessagePump.h"
#include "support/ParameterLog.h"
#include "support/RepaintRecorder.h"

#include <gtest/gtest.h>

namespace
{
using echovane::testing::clickAt;
using echovane::testing::hostParameter;
using echovane::testing::Log;
using echovane::testing::ParameterLog;
using echovane::testing::sortedPart;
using echovane::testing::writeFromAnotherThread;
using echovane::testing::writeOnThisThread;
using B = ParameterIndex::Bool;
using F = ParameterIndex::Float;

/** The whole control row at its 100 % size, in a visible top component that counts repaints. */
struct Row
{
    Row()
    {
        top.setBounds (0, 0, 1000, 389);
        top.addAndMakeVisible (wrapper);
        top.setVisible (true);
        wrapper.setBounds (top.getLocalBounds());
    }

    DelayRow& row() { return wrapper.getRow(); }
    TimeCompassWrapper& time() { return row().getTimeKnob().getCompass(); }
    TempoLabel& readOut() { return *row().getTempoButton().tempoLabel; }
    juce::String shown() { return readOut().textLabel.getText(); }
    TempoCompassComponent& lever() { return row().getTempoButton().getLever(); }
    float value (F index) { return hostParameter (processor, index).getValue(); }

    void clickLever() { clickAt (top, top.getLocalPoint (&lever(), lever().getLocalBounds().getCentre())); }

    void enterMillisecondsMode()
    {
        writeOnThisThread (hostParameter (processor, B::tempoChanger), 1.0f);
        time().timerCallback();
        ASSERT_TRUE (readOut().textLabel.isEditableOnSingleClick());
    }

    /** Types `text` into the read-out the way the user does: opens its editor, replaces the
        selected text with the typed characters and presses Return. */
    void type (const juce::String& text)
    {
        auto& label = readOut().textLabel;
        label.showEditor();
        auto* editor = label.getCurrentTextEditor();
        ASSERT_NE (editor, nullptr);
        editor->selectAll();
        editor->insertTextAtCaret (text);
        editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));

        // The editor hands Return on through a message of its own.
        ASSERT_TRUE (echovane::testing::pumpUntil ([&label]
                                                   { return label.getCurrentTextEditor() == nullptr; }))
            << "Return commits the text";
    }

    OvelanAudioProcessor processor;
    juce::Component top;
    DelayRowWrapper wrapper{ *processor.floatParameters, *processor.boolParameters };
    // Owned by `top`, which deletes it with itself.
    echovane::testing::RepaintRecorder& repaints = echovane::testing::RepaintRecorder::attachTo (top);
};

struct NoteValueRange
{
    int fromPercent, toPercent;
    const char* shown;
};

TEST (TimeReadOut, ShowsTheNoteValueOfSyncInWholeNotes)
{
    Row row;

    const NoteValueRange table[] = {
        { 0, 12, "1/64" },
        { 13, 24, "1/32" },
        { 25, 37, "1/16" },
        { 38, 49, "1/8" },
        { 50, 62, "1/4" },
        { 63, 74, "1/2" },
        { 75, 87, "1" },
        { 88, 99, "2" },
        { 100, 100, "4" },
    };

    for (const auto& range : table)
        for (int percent = range.fromPercent; percent <= range.toPercent; ++percent)
        {
            // A plain write, as a restored state makes it: the timer reads the value itself.
            hostParameter (row.processor, F::sync).setValue (static_cast<float> (percent) / 100.0f);
            row.time().timerCallback();
            EXPECT_EQ (row.shown(), range.shown) << "Sync " << percent << " %";
            EXPECT_FALSE (row.readOut().textLabel.isEditableOnSingleClick());
        }
}

TEST (TimeReadOut, AResizeInSyncedModeShowsThePercentageUntilTheNextTick)
{
    Row row;
    row.time().timerCallback();
    EXPECT_EQ (row.shown(), "1/4");

    row.wrapper.setBounds (0, 0, 800, 311);
    EXPECT_EQ (row.shown(), "60");
    row.time().timerCallback();
    EXPECT_EQ (row.shown(), "1/4");
}

TEST (TimeReadOut, FlippingTheLeverSwapsTheKnobsAndTheTextAtOnceAndEditabilityOnTheNextTick)
{
    Row row;
    row.time().timerCallback();
    ASSERT_TRUE (row.time().getKnob()->isVisible());
    ASSERT_FALSE (row.time().getMsKnob()->isVisible());
    ParameterLog log (row.processor);

    row.clickLever();

    EXPECT_EQ (sortedPart (log.entries, 2, 1), (Log{ "TempoChanger(", "TempoChanger=1", "Dotted=0", "Triplet=0", "TempoChanger)" }));
    EXPECT_TRUE (row.time().getMsKnob()->isVisible());
    EXPECT_FALSE (row.time().getKnob()->isVisible());
    EXPECT_EQ (row.shown(), "500") << "MS 0.1, truncated";
    EXPECT_FALSE (row.readOut().textLabel.isEditableOnSingleClick());

    row.time().timerCallback();
    EXPECT_TRUE (row.readOut().textLabel.isEditableOnSingleClick());

    row.clickLever();
    EXPECT_TRUE (row.time().getKnob()->isVisible());
    EXPECT_FALSE (row.time().getMsKnob()->isVisible());
    EXPECT_EQ (row.shown(), "60");
}

TEST (TimeReadOut, TheMillisecondsOfTheDefaultAreFiveHundred)
{
    Row row;
    row.enterMillisecondsMode();
    hostParameter (row.processor, F::ms).setValue (0.25f);
    row.time().timerCallback();
    EXPECT_EQ (row.shown(), "1250");

    hostParameter (row.processor, F::ms).setValue (0.1f);
    row.time().timerCallback();
    EXPECT_EQ (row.shown(), "500");
}

struct Typed
{
    const char* text;
    bool accepted;
    int milliseconds; // when accepted
    const char* shownAfterTick;
};

void PrintTo (const Typed& c, std::ostream* os)
{
    *os << "typed \"" << c.text << "\"";
}

class TypedMilliseconds : public ::testing::TestWithParam<Typed>
{
};

TEST_P (TypedMilliseconds, AreAcceptedFromZeroToFiveThousandOrPutBack)
{
    const auto& c = GetParam();
    Row row;
    row.enterMillisecondsMode();
    hostParameter (row.processor, F::ms).setValue (0.1f);
    row.time().timerCallback();
    ASSERT_EQ (row.shown(), "500");
    ParameterLog log (row.processor);

    row.type (juce::String::fromUTF8 (c.text));

    if (c.accepted)
    {
        const auto expected = ParameterMeaning::msValueFor (c.milliseconds);
        EXPECT_EQ (row.value (F::ms), expected);

        // One write and its notification, no gesture; unless the value did not change at all.
        if (expected != 0.1f)
        {
            EXPECT_EQ (log.entries, (Log{ "MS=" + juce::String (expected).toStdString() }));
        }

        EXPECT_EQ (row.shown(), juce::String::fromUTF8 (c.text)) << "the typed text stays until the next tick";
    }
    else
    {
        EXPECT_EQ (row.value (F::ms), 0.1f);
        EXPECT_TRUE (log.entries.empty());
        EXPECT_EQ (row.shown(), "500") << "the current milliseconds are put back";
    }

    row.time().timerCallback();
    EXPECT_EQ (row.shown(), c.shownAfterTick);
}

const Typed typedTexts[] = {
    { "300", true, 300, "300" },
    { "+0300", true, 300, "300" },
    { "300ms", true, 300, "300" },
    { "12.9", true, 12, "12" },
    { "5000", true, 5000, "5000" },
    { "-0", true, 0, "0" },
    // "MS" does not change, so the tick leaves the typed text alone.
    { "0500", true, 500, "0500" },
    { "5001", false, 0, "500" },
    { "-5", false, 0, "500" },
    { "", false, 0, "500" },
    { " 300", false, 0, "500" },
    { "abc", false, 0, "500" },
    { "-", false, 0, "500" },
    { "+", false, 0, "500" },
    { "+-5", false, 0, "500" },
    { "99999999999", false, 0, "500" },
    { "00000000000000000000000000005", true, 5, "5" },
    { "\xc3\xa9\xe2\x82\xac", false, 0, "500" },
};

INSTANTIATE_TEST_SUITE_P (ReadOut, TypedMilliseconds, ::testing::ValuesIn (typedTexts), [] (const auto& testCase)
                          { return "case" + std::to_string (testCase.index); });

TEST (TimeReadOut, ThePutBackTextIsTruncatedWhileTheTickRounds)
{
    Row row;
    row.enterMillisecondsMode();

    row.type ("100");
    EXPECT_EQ (row.value (F::ms), 0.02f);
    row.time().timerCallback();
    EXPECT_EQ (row.shown(), "100");

    row.type ("abc");
    EXPECT_EQ (row.shown(), "99");

    // The layout truncates too: 7 typed shows as 6 there.
    row.type ("7");
    row.time().resized();
    EXPECT_EQ (row.shown(), "6");
}

// The layout writes "MS" x 5000 as one product; the put-back text, like the engine, goes to
// seconds first and then to milliseconds, which can land just below a whole millisecond.
TEST (TimeReadOut, TheLayoutMultipliesOnceWhereThePutBackTakesTwoSteps)
{
    Row row;
    row.enterMillisecondsMode();
    hostParameter (row.processor, F::ms).setValue (0.0002f);

    row.time().resized();
    EXPECT_EQ (row.shown(), "1");

    row.type ("abc");
    EXPECT_EQ (row.shown(), "0");

    row.time().timerCallback();
    EXPECT_EQ (row.shown(), "1") << "the tick rounds";
}

TEST (TimeReadOut, PastedMegabytesAndBrokenTextNeverChangeMsUnlessAccepted)
{
    Row row;
    row.enterMillisecondsMode();
    hostParameter (row.processor, F::ms).setValue (0.1f);

    row.type (juce::String::repeatedString ("9", 1 << 20));
    EXPECT_EQ (row.value (F::ms), 0.1f);

    const char brokenUtf8[] = { '\xff', '\xfe', '2', '0', '\0' };
    row.type (juce::String::fromUTF8 (brokenUtf8));
    EXPECT_EQ (row.value (F::ms), 0.1f);

    row.type ("42" + juce::String::repeatedString ("x", 1 << 20));
    EXPECT_EQ (row.value (F::ms), ParameterMeaning::msValueFor (42));
}

CONCURRENCY_TEST (TimeReadOut, HostChangesOfMsDiscardTypingButIdleTicksDoNot)
{
    Row row;
    row.enterMillisecondsMode();
    auto& label = row.readOut().textLabel;

    label.showEditor();
    row.time().timerCallback();
    EXPECT_NE (label.getCurrentTextEditor(), nullptr) << "a tick without a change leaves the editor open";

    writeFromAnotherThread (hostParameter (row.processor, F::ms), 0.3f);
    row.time().timerCallback();
    EXPECT_EQ (label.getCurrentTextEditor(), nullptr);
    EXPECT_EQ (row.shown(), "1500");
}

TEST (TimeReadOut, AnIdleTickRepaintsNothing)
{
    Row row;
    row.time().timerCallback();
    row.repaints.clear();

    for (int tick = 0; tick < 10; ++tick)
        row.time().timerCallback();

    EXPECT_TRUE (row.repaints.areas.empty()) << "synced mode, nothing changed";

    // The recorder does see a changed text.
    hostParameter (row.processor, F::sync).setValue (1.0f);
    row.time().timerCallback();
    EXPECT_FALSE (row.repaints.areas.empty());

    row.enterMillisecondsMode();
    row.time().timerCallback();
    row.repaints.clear();

    for (int tick = 0; tick < 10; ++tick)
        row.time().timerCallback();

    EXPECT_TRUE (row.repaints.areas.empty()) << "milliseconds mode, nothing changed";
}

TEST (TimeReadOut, TheTimerRunsOnItsOwn)
{
    Row row;
    hostParameter (row.processor, F::sync).setValue (1.0f);
    EXPECT_TRUE (echovane::testing::pumpUntil ([&row]
                                               { return row.shown() == "4"; },
                                               2000));
}

TEST (MixKnob, HasOneKnobNoTimerAndNeverTouchesTheReadOut)
{
    Row row;
    auto& mix = row.row().getMixKnob().getCompass();

    EXPECT_EQ (mix.getMsKnob(), nullptr);
    EXPECT_FALSE (mix.isTimerRunning());
    EXPECT_EQ (mix.getKnob()->getParameter(), row.processor.floatParameters->at (F::mix));
    EXPECT_TRUE (row.time().isTimerRunning());

    row.time().timerCallback();
    const auto before = row.shown();
    row.row().getMixKnob().setBounds (0, 0, 123, 123);
    EXPECT_EQ (row.shown(), before);
}

TEST (BigKnobs, CaptionAndCoreAtTwoHundredSquare)
{
    Row row;
    auto& time = row.row().getTimeKnob();
    ASSERT_EQ (time.getBounds().getWidth(), 200);

    EXPECT_EQ (time.getNameLabel().getBounds(), juce::Rectangle<int> (0, 10, 200, 30));
    EXPECT_FLOAT_EQ (time.getNameLabel().captionLabel.getFont().getHeight(), 18.0f);
    EXPECT_EQ (time.getNameLabel().captionLabel.getText(), "TIME");
    EXPECT_EQ (time.getCompass().getBounds(), juce::Rectangle<int> (30, 40, 140, 140));
    EXPECT_EQ (time.getCompass().getKnob()->getBounds(), juce::Rectangle<int> (0, -16, 140, 140));
    EXPECT_EQ (time.getCompass().getMsKnob()->getBounds(), juce::Rectangle<int> (0, -16, 140, 140));
    EXPECT_EQ (time.getCompass().getKnob()->getParameter(), row.processor.floatParameters->at (F::sync));
    EXPECT_EQ (time.getCompass().getMsKnob()->getParameter(), row.processor.floatParameters->at (F::ms));
    EXPECT_EQ (row.row().getMixKnob().getNameLabel().captionLabel.getText(), "MIX");

    // Caption first, core second: the lever finds the core as child 1.
    EXPECT_EQ (time.getChildComponent (0), &time.getNameLabel());
    EXPECT_EQ (time.getChildComponent (1), &time.getCompass());
}
} // namespace
