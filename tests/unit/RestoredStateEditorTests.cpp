#include "editor/TempoCompassComponent.h"
#include "editor/ToggleButtons.h"
#include "support/EditorProbe.h"
#include "support/KnobProbe.h"
#include "support/MessagePump.h"
#include "support/RepaintRecorder.h"
#include "support/StateBlocks.h"
#include "support/StateFuzz.h"

#include <gtest/gtest.h>

namespace
{
using echovane::testing::openEditor;
using echovane::testing::stateBlockWithElement;
using echovane::testing::statefuzz::elementFor;
using echovane::testing::statefuzz::heldValues;
using echovane::testing::statefuzz::savedValues;
using echovane::testing::statefuzz::with;

/** What every knob and the lever of an editor show, in the order of the component tree. */
struct Shown
{
    std::vector<float> rings;
    std::vector<float> caps;
    std::vector<bool> knobsVisible;
    float leverAngle = 0.0f;
    bool millisecondsMode = false;

    /** The same to within rounding: a knob built at a value and one turned to it reach their
        angle by different arithmetic. */
    bool operator== (const Shown& other) const
    {
        const auto near = [] (const std::vector<float>& a, const std::vector<float>& b)
        {
            return a.size() == b.size() && std::equal (a.begin(), a.end(), b.begin(), [] (float x, float y)
                                                       { return std::abs (x - y) < 1.0e-5f; });
        };

        return near (rings, other.rings) && near (caps, other.caps) && knobsVisible == other.knobsVisible && leverAngle == other.leverAngle
            && millisecondsMode == other.millisecondsMode;
    }
};

void collectShown (juce::Component& parent, Shown& shown)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* knob = dynamic_cast<KnobWrapper*> (child))
        {
            shown.rings.push_back (knob->getUpperKnob().getAngle());
            shown.caps.push_back (knob->getKnobButton().getCap().getAngle());
            shown.knobsVisible.push_back (knob->isVisible());
        }
        else if (auto* lever = dynamic_cast<TempoCompassComponent*> (child))
        {
            shown.leverAngle = lever->getAngle();
            shown.millisecondsMode = lever->isMillisecondsMode;
        }

        collectShown (*child, shown);
    }
}

std::ostream& operator<< (std::ostream& out, const Shown& shown)
{
    out << "rings";
    for (auto angle : shown.rings)
        out << " " << angle;
    out << ", caps";
    for (auto angle : shown.caps)
        out << " " << angle;
    out << ", visible";
    for (auto visible : shown.knobsVisible)
        out << " " << visible;
    return out << ", lever " << shown.leverAngle << (shown.millisecondsMode ? " (ms)" : " (synced)");
}

Shown shownBy (juce::Component& editor)
{
    Shown shown;
    collectShown (editor, shown);
    return shown;
}

void restore (OvelanAudioProcessor& processor, const juce::MemoryBlock& block)
{
    processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}

bool repaintedAll (const echovane::testing::RepaintRecorder& recorder, juce::Component& editor, juce::Component& control)
{
    const auto area = editor.getLocalArea (&control, control.getLocalBounds());

    for (const auto& repainted : recorder.areas)
        if (repainted.contains (area))
            return true;

    return false;
}

// A host loads a preset or undoes while the window is open: the knobs, the lever, TIME's knob
// and the toggles come to show the restored state exactly as an editor opened after it, and the
// host hears nothing from the editor meanwhile.
TEST (RestoredState, AnOpenEditorComesToShowItAsOneOpenedAfterIt)
{
    // The size step stays as it is: an open editor keeps its size across a restore.
    const auto restoredValues = with (savedValues, "sizechanger", heldValues.at ("sizechanger"));
    const auto block = stateBlockWithElement (elementFor (restoredValues));

    OvelanAudioProcessor afterwards;
    restore (afterwards, block);
    auto openedAfter = openEditor (afterwards);
    ASSERT_NE (openedAfter, nullptr);
    const auto expected = shownBy (*openedAfter);

    OvelanAudioProcessor processor;
    restore (processor, stateBlockWithElement (elementFor (heldValues)));
    auto editor = openEditor (processor);
    ASSERT_NE (editor, nullptr);
    ASSERT_FALSE (shownBy (*editor) == expected);

    auto* row = echovane::testing::findChild<DelayRowWrapper> (*editor);
    ASSERT_NE (row, nullptr);
    auto& recorder = echovane::testing::RepaintRecorder::attachTo (*editor);
    echovane::testing::ParameterWatch watch (processor);

    restore (processor, block);

    EXPECT_TRUE (echovane::testing::pumpUntil ([&]
                                               { return shownBy (*editor) == expected; },
                                               5000))
        << "shows " << shownBy (*editor) << "\nexpected " << expected;
    EXPECT_TRUE (shownBy (*editor).millisecondsMode);

    for (juce::Component* toggle : { static_cast<juce::Component*> (&row->getRow().getTripletButton()),
                                     static_cast<juce::Component*> (&row->getRow().getDottedButton()),
                                     static_cast<juce::Component*> (&row->getRow().getBypassButton()) })
        EXPECT_TRUE (repaintedAll (recorder, *editor, *toggle)) << toggle->getName();

    EXPECT_EQ (watch.valueChanges, 0);
    EXPECT_EQ (watch.gestures, 0);
}

// A block that is damaged is no restore: the open editor has nothing to catch up with.
TEST (RestoredState, ADamagedBlockLeavesTheOpenEditorAsItWas)
{
    OvelanAudioProcessor processor;
    auto editor = openEditor (processor);
    ASSERT_NE (editor, nullptr);
    const auto before = shownBy (*editor);

    // The values change without a notification, as a restore sets them, and a damaged block
    // follows: the editor must not take that block for a restore.
    processor.getParameters()[ParameterIndex::hostIndex (ParameterIndex::feedback)]->setValue (0.9f);
    restore (processor, echovane::testing::binaryXmlBlock ("<Delay Feedback=\"0.9\"><?x?></Delay>"));

    echovane::testing::pumpFor (300);
    EXPECT_TRUE (shownBy (*editor) == before);
}
} // namespace
