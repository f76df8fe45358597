#pragma once

#include "../engine/MetaParameter.h"
#include "ParameterFollower.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <string>

class UpperKnob;

/** The cap picture of a knob, turned about its parent's centre. Its angle is in radians, 0 being
    the picture as drawn and positive turning clockwise, and it clamps itself to half the knob's
    sweep either side of upright. */
class MiddleRotatableComponent final : public juce::Component
{
public:
    /** `percent` (0 to 100) places the cap between -maxDegrees and +maxDegrees; `picture` is not
        owned and must outlive the cap. */
    MiddleRotatableComponent (juce::Drawable* picture, float percent, float minDegrees, float maxDegrees);
    ~MiddleRotatableComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Turns the cap by `delta` radians and clamps it. The very first call only applies the angle
        the cap was built with (or given by setAngleFromValue), whatever `delta` says. */
    void rotate (float delta);

    /** The angle a value (0 to 1) stands for, applied with clamping. */
    void setAngleFromValue (float value);

    float getAngle() const noexcept { return angle; }
    float getMaxDegrees() const noexcept { return maxDegrees; }

    /** The angle for a value on the 0-to-100 scale, in radians. */
    static float angleForPercent (float percent, float maxDegrees) noexcept;

private:
    float maxDegrees = 0.0f;
    bool firstRotation = true;
    float minAngle = 0.0f;
    float maxAngle = 0.0f;
    float angle = 0.0f;
    juce::Drawable* picture = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MiddleRotatableComponent)
};

/** Holds the cap and makes it fill itself; the cap turns about this holder's centre. */
class KnobButton final : public juce::Component
{
public:
    KnobButton (juce::Drawable* picture, float percent, float minDegrees, float maxDegrees);
    ~KnobButton() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    MiddleRotatableComponent& getCap() noexcept { return *cap; }

private:
    std::unique_ptr<MiddleRotatableComponent> cap;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KnobButton)
};

/** One knob of the editor: a square with the turning cap at half its size in the middle and the
    value ring over the whole of it. The ring takes the mouse and writes the parameter; this
    wrapper follows the parameter and turns ring and cap when the value changes elsewhere (host
    automation, another control). */
class KnobWrapper final : public juce::Component
{
public:
    /** `minValue`/`maxValue` are the value scale in percent; `radiusFactor` and
        `thicknessFactor` size the ring against the knob's smaller side; `showArc` draws the ring
        at all and `showEndDot` gives it the small knobs' rounded ends; the ring starts at
        `startDegrees` clockwise from 12 o'clock and sweeps `sweepDegrees`, which is also the
        cap's whole turning range. `cap` and `parameter` are not owned. `spare` is not read; it
        stays to keep the order of the twelve arguments every knob is built with. */
    KnobWrapper (std::string name,
                 float minValue,
                 float maxValue,
                 float radiusFactor,
                 juce::Drawable* cap,
                 bool showArc,
                 bool showEndDot,
                 float thicknessFactor,
                 float startDegrees,
                 float sweepDegrees,
                 float spare,
                 MetaParameter<juce::AudioParameterFloat>* parameter);
    ~KnobWrapper() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Takes a new value of the parameter; message thread only. While the ring is dragged the
        value is ignored, so the drag is not fought; anything not a number is ignored and values
        outside 0 to 1 count as the nearest end. */
    void parameterValueChanged (int parameterIndex, float newValue);

    UpperKnob& getUpperKnob() noexcept { return *upperKnob; }
    KnobButton& getKnobButton() noexcept { return *knobButton; }
    MetaParameter<juce::AudioParameterFloat>* getParameter() const noexcept { return parameter; }

private:
    std::unique_ptr<KnobButton> knobButton;
    std::unique_ptr<UpperKnob> upperKnob;
    float maxValue = 100.0f;
    float minValue = 0.0f;
    MetaParameter<juce::AudioParameterFloat>* parameter = nullptr;

    // Declared last, so it is the first to go: no change can reach a half-destroyed knob.
    std::unique_ptr<ParameterFollower> follower;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KnobWrapper)
};
