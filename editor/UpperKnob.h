#pragma once

#include "../engine/MetaParameter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>

class KnobWrapper;
class MiddleRotatableComponent;

/** The top layer of a knob: it takes the mouse, edits the knob's parameter by vertical dragging
    (0.03 rad per pixel, upwards increases), resets it on a double-click, and draws the value as
    a glowing cyan band round the knob.

    Its value is an angle from 0 to the sweep; the parameter's value is angle / sweep. Three
    drawings: the plain band (showEndDot false), the small knobs' band with rounded ends that
    shrinks to a growing dot near zero (showEndDot true), and, for the knob named exactly
    "BALANCE", a band growing from the top centre to either side. */
class UpperKnob final : public juce::Component
{
public:
    UpperKnob (std::string name,
               bool showArc,
               bool showEndDot,
               float startDegrees,
               float sweepDegrees,
               float radiusFactor,
               float thicknessFactor,
               float value,
               MiddleRotatableComponent* cap,
               KnobWrapper* owner,
               MetaParameter<juce::AudioParameterFloat>* parameter);
    ~UpperKnob() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    /** True from mouse-down to mouse-up; the owner leaves ring and cap alone meanwhile. */
    bool isDragging() const noexcept { return dragging; }

    float getAngle() const noexcept { return angle; }
    float getSweep() const noexcept { return sweep; }
    float getStart() const noexcept { return start; }

    /** Sets the value angle (clamped to 0..sweep) and repaints; the owner's way in. */
    void setAngle (float newAngle);

    /** A second press counts as a double-click when at least one and fewer than ten 30 ms ticks
        have passed since the first (about 30 to 300 ms later). */
    static constexpr double doubleClickTickMs = 30.0;
    static constexpr int doubleClickTicks = 10;

    /** How far one pixel of vertical drag turns the value, radians. */
    static constexpr float dragStep = 0.03f;

private:
    void writeValue();
    float resetAngle() const;

    void paintOrdinary (juce::Graphics& g, float cx, float cy, float outer, float thickness, const juce::ColourGradient& gradient);
    void paintBalance (juce::Graphics& g, float cx, float cy, float outer, float thickness, const juce::ColourGradient& gradient);

    bool dragging = false;
    bool showArc = true;
    bool showEndDot = true;
    // When the press that opened the double-click window came; negative while none is open.
    double windowOpenedAt = -1.0;
    juce::Point<int> lastMousePosition{ -1, -1 };
    float angle = 0.0f;
    float sweep = 0.0f;
    float start = 0.0f;
    float radiusFactor = 1.0f;
    float thicknessFactor = 1.0f;
    MiddleRotatableComponent* cap = nullptr;
    KnobWrapper* owner = nullptr;
    MetaParameter<juce::AudioParameterFloat>* parameter = nullptr;
    std::string name;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpperKnob)
};
