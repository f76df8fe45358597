#include "editor/DelayRow.h"
#include "support/ConcurrencyTests.h"
#include "support/EditorProbe.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>

namespace
{
using R = juce::Rectangle<int>;

/** The row's twelve children in the order the table of bounds names them. */
std::array<juce::Component*, 12> controlsOf (DelayRow& row)
{
    // Children 0 to 5 are the small knobs FEED, BALANCE, WIDTH, DRIVE, BRIGHT, DARK.
    const auto c = [&row] (int index)
    { return row.getChildComponent (index); };
    return { &row.getTimeKnob(), &row.getTempoButton(), &row.getTripletButton(), &row.getDottedButton(), c (0), c (1), c (2), c (3), c (4), c (5), &row.getMixKnob(), &row.getBypassButton() };
}

struct RowSize
{
    int width, height;
    std::array<R, 12> expected; // TIME, lever holder, TRIPLET, DOTTED, FEED .. DARK, MIX, BYPASS
};

void PrintTo (const RowSize& c, std::ostream* os)
{
    *os << c.width << " x " << c.height;
}

class ControlRowLayout : public ::testing::TestWithParam<RowSize>
{
};

TEST_P (ControlRowLayout, PlacesTheTwelveControlsInProportion)
{
    const auto& c = GetParam();
    OvelanAudioProcessor processor;
    DelayRowWrapper wrapper (*processor.floatParameters, *processor.boolParameters);
    wrapper.setBounds (0, 0, c.width, c.height);

    auto& row = wrapper.getRow();
    EXPECT_EQ (row.getBounds(), R (0, 0, c.width, c.height));

    const auto controls = controlsOf (row);
    const char* names[] = { "TIME", "lever", "TRIPLET", "DOTTED", "FEED", "BALANCE", "WIDTH", "DRIVE", "BRIGHT", "DARK", "MIX", "BYPASS" };

    for (size_t i = 0; i < controls.size(); ++i)
        EXPECT_EQ (controls[i]->getBounds(), c.expected[i]) << names[i];
}

const RowSize rowSizes[] = {
    { 1000, 389, { R (78, 21, 200, 200), R (127, 198, 100, 100), R (119, 298, 60, 24), R (179, 298, 60, 24), R (284, 38, 130, 130), R (434, 38, 130, 130), R (583, 38, 130, 130), R (284, 202, 130, 130), R (434, 202, 130, 130), R (583, 202, 130, 130), R (720, 186, 200, 200), R (783, 101, 74, 30) } },
    { 800, 311, { R (62, 17, 160, 160), R (101, 158, 80, 80), R (95, 238, 48, 19), R (143, 238, 48, 19), R (227, 31, 104, 104), R (347, 31, 104, 104), R (466, 31, 104, 104), R (227, 161, 104, 104), R (347, 161, 104, 104), R (466, 161, 104, 104), R (576, 149, 160, 160), R (626, 80, 59, 24) } },
    { 1500, 583, { R (117, 32, 300, 300), R (190, 297, 150, 150), R (178, 447, 90, 36), R (268, 447, 90, 36), R (426, 58, 195, 195), R (651, 58, 195, 195), R (875, 58, 195, 195), R (426, 303, 195, 195), R (651, 303, 195, 195), R (875, 303, 195, 195), R (1080, 279, 300, 300), R (1175, 151, 111, 45) } },
    { 0, 0, { R(), R(), R(), R(), R(), R(), R(), R(), R(), R(), R(), R() } },
};

INSTANTIATE_TEST_SUITE_P (Sizes, ControlRowLayout, ::testing::ValuesIn (rowSizes), [] (const auto& testCase)
                          { return std::to_string (testCase.param.width) + "x" + std::to_string (testCase.param.height); });

TEST (ControlRow, ChildrenComeInTheirFixedOrderWithTimeAsChildSix)
{
    OvelanAudioProcessor processor;
    DelayRowWrapper wrapper (*processor.floatParameters, *processor.boolParameters);
    auto& row = wrapper.getRow();

    ASSERT_EQ (row.getNumChildComponents(), 12);
    const char* smallKnobs[] = { "FEED", "BALANCE", "WIDTH", "DRIVE", "BRIGHT", "DARK" };
    const ParameterIndex::Float smallParameters[] = { ParameterIndex::feedback, ParameterIndex::balance, ParameterIndex::width, ParameterIndex::drive, ParameterIndex::bright, ParameterIndex::dark };

    for (int i = 0; i < 6; ++i)
    {
        auto* knob = dynamic_cast<BasicButtonWrapper*> (row.getChildComponent (i));
        ASSERT_NE (knob, nullptr) << i;
        EXPECT_EQ (knob->getCaption().getLabel().getText(), smallKnobs[i]);
        EXPECT_EQ (knob->getCompass().getKnob().getParameter(), processor.floatParameters->at (smallParameters[i])) << smallKnobs[i];
    }

    EXPECT_EQ (row.getChildComponent (6), &row.getTimeKnob());
    EXPECT_EQ (row.getChildComponent (6)->getChildComponent (1), &row.getTimeKnob().getCompass());
    EXPECT_EQ (row.getChildComponent (7), &row.getTempoButton());
    EXPECT_EQ (row.getChildComponent (8), &row.getMixKnob());
    EXPECT_EQ (row.getChildComponent (9), &row.getTripletButton());
    EXPECT_EQ (row.getChildComponent (10), &row.getDottedButton());
    EXPECT_EQ (row.getChildComponent (11), &row.getBypassButton());

    for (auto* child : row.getChildren())
        EXPECT_TRUE (child->isVisible());
}

TEST (ControlRow, TheLeverHolderLiesAboveTheLowerEdgeOfTime)
{
    OvelanAudioProcessor processor;
    DelayRowWrapper wrapper (*processor.floatParameters, *processor.boolParameters);
    wrapper.setBounds (0, 0, 1000, 389);
    wrapper.setVisible (true);
    auto& row = wrapper.getRow();

    // Rows 198 to 220 belong to both; the read-out at the holder's top is what a click finds.
    const auto overlap = row.getTimeKnob().getBounds().getIntersection (row.getTempoButton().getBounds());
    EXPECT_EQ (overlap, R (127, 198, 100, 23));
    const auto* hit = row.getComponentAt (row.getTempoButton().getBounds().getCentreX(), 210);
    EXPECT_TRUE (hit == &row.getTempoButton() || row.getTempoButton().isParentOf (hit));
}

CONCURRENCY_TEST (ControlRow, GoesWithAnOpenReadOutEditorAndAutomationWaitingLeavingNothingBehind)
{
    OvelanAudioProcessor processor;

    for (int cycle = 0; cycle < 3; ++cycle)
    {
        auto wrapper = std::make_unique<DelayRowWrapper> (*processor.floatParameters, *processor.boolParameters);
        wrapper->setBounds (0, 0, 1000, 389);
        wrapper->setVisible (true);

        auto& label = wrapper->getRow().getTempoButton().tempoLabel->textLabel;
        label.setEditable (true, false, false);
        label.showEditor();

        std::thread automation ([&processor]
                                {
                                    for (auto* parameter : processor.getParameters())
                                    {
                                        parameter->setValue (1.0f);
                                        parameter->sendValueChangedMessageToListeners (1.0f);
                                    } });
        automation.join();
        wrapper.reset();

        // Anything that was waiting for the gone controls finds nobody: a toggle still
        // listening would clear both variants on the change of "TempoChanger".
        ParameterFollower::deliverAllPending();
        EXPECT_EQ (processor.boolParameters->at (ParameterIndex::triplet)->get(), true);
        EXPECT_EQ (processor.boolParameters->at (ParameterIndex::dotted)->get(), true);

        auto& tempoChanger = *processor.boolParameters->at (ParameterIndex::tempoChanger);
        tempoChanger.setValueNotifyingHost (0.0f);
        EXPECT_EQ (processor.boolParameters->at (ParameterIndex::triplet)->get(), true);

        for (auto* parameter : processor.getParameters())
            parameter->setValue (0.0f);
    }
}
} // namespace
