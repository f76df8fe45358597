#pragma once

#include "../engine/MetaParameter.h"
#include "KnobWrapper.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <string>

/** The square under a small knob: it draws the knob's backdrop ring and holds the knob, which
    fills it. It owns the cap picture the knob turns. */
class CompassWrapper final : public juce::Component
{
public:
    CompassWrapper (bool isBlue, const std::string& name, MetaParameter<juce::AudioParameterFloat>* parameter);
    ~CompassWrapper() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    KnobWrapper& getKnob() noexcept { return *knob; }

private:
    bool isBlue = true;
    std::unique_ptr<juce::Drawable> background;
    std::unique_ptr<juce::Drawable> cap;
    // After the cap picture, so the knob (whose cap only points to it) goes first.
    std::unique_ptr<KnobWrapper> knob;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CompassWrapper)
};

/** A small knob's caption: a label whose text is as tall as the component. */
class BasicTextLabel final : public juce::Component
{
public:
    explicit BasicTextLabel (const std::string& name);
    ~BasicTextLabel() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    const juce::Label& getLabel() const noexcept { return label; }

private:
    juce::Label label;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BasicTextLabel)
};

/** One of the six small knobs: the caption on top, below it the knob on its backdrop. Only a
    `name` of exactly "BALANCE" gets the centred ring that grows to either side. */
class BasicButtonWrapper final : public juce::Component
{
public:
    /** `parameter` is not owned; `spare` is not read and stays to keep the arguments' order. */
    BasicButtonWrapper (bool isBlue, std::string name, MetaParameter<juce::AudioParameterFloat>* parameter, float spare = 0.0f);
    ~BasicButtonWrapper() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    CompassWrapper& getCompass() noexcept { return *compass; }
    BasicTextLabel& getCaption() noexcept { return *label; }
    const BasicTextLabel& getCaption() const noexcept { return *label; }

    /** Where the knob's ring starts and how far it sweeps, in degrees, for a knob's name. */
    static float startDegreesFor (const std::string& name) noexcept;
    static float sweepDegreesFor (const std::string& name) noexcept;

private:
    bool isBlue = true;
    std::unique_ptr<CompassWrapper> compass;
    std::unique_ptr<BasicTextLabel> label;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BasicButtonWrapper)
};
