#pragma once

#include "../engine/MetaParameter.h"
#include "BasicButtonWrapper.h"
#include "TempoCompassComponent.h"
#include "TimeButtonWrapper.h"
#include "ToggleButtons.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>
#include <vector>

/** Where the six small knobs stand inside a control row of the given size, in the order FEED,
    BALANCE, WIDTH (top row), DRIVE, BRIGHT, DARK (bottom row): squares of 0.13 of the row's
    width on a column pitch of 0.1495 of it. */
std::array<juce::Rectangle<int>, 6> smallKnobBoundsInRow (int rowWidth, int rowHeight);

/** The twelve controls of the editor's main area, laid out in proportion to the row's size: TIME
    with the tempo lever and TRIPLET/DOTTED under it on the left, the six small knobs in two rows
    in the middle, BYPASS and MIX on the right. It draws nothing itself.

    The children are added in a fixed order (TIME is child 6), and the members are declared so
    that the lever holder, with the read-out that TIME listens to, goes before TIME. */
class DelayRow final : public juce::Component
{
public:
    DelayRow (const std::vector<FloatParameter*>& floatParameters, const std::vector<BoolParameter*>& boolParameters);
    ~DelayRow() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    TimeButtonWrapper& getTimeKnob() const noexcept { return *timeKnob; }
    TimeButtonWrapper& getMixKnob() const noexcept { return *mixKnob; }
    TempoChangerButton& getTempoButton() const noexcept { return *tempoButton; }
    TripletButton& getTripletButton() const noexcept { return *tripletButton; }
    DottedComponent& getDottedButton() const noexcept { return *dottedButton; }
    ByPassButtonComponent& getBypassButton() const noexcept { return *bypassButton; }

private:
    // Never drawn: its proportions give BYPASS's.
    std::unique_ptr<juce::Drawable> framePicture;
    std::unique_ptr<BasicButtonWrapper> feedKnob;
    std::unique_ptr<BasicButtonWrapper> balanceKnob;
    std::unique_ptr<BasicButtonWrapper> driveKnob;
    std::unique_ptr<BasicButtonWrapper> widthKnob;
    std::unique_ptr<BasicButtonWrapper> brightKnob;
    std::unique_ptr<BasicButtonWrapper> darkKnob;
    std::unique_ptr<TimeButtonWrapper> timeKnob;
    std::unique_ptr<TempoChangerButton> tempoButton;
    std::unique_ptr<TimeButtonWrapper> mixKnob;
    std::unique_ptr<TripletButton> tripletButton;
    std::unique_ptr<ByPassButtonComponent> bypassButton;
    std::unique_ptr<DottedComponent> dottedButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DelayRow)
};

/** A plain holder that owns the control row and makes it fill itself. */
class DelayRowWrapper final : public juce::Component
{
public:
    DelayRowWrapper (const std::vector<FloatParameter*>& floatParameters, const std::vector<BoolParameter*>& boolParameters);
    ~DelayRowWrapper() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    DelayRow& getRow() const noexcept { return *delayRow; }

private:
    std::unique_ptr<DelayRow> delayRow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DelayRowWrapper)
};
