#pragma once

#include "../engine/MetaParameter.h"
#include "ParameterFollower.h"
#include "TempoLabel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** The tempo lever: a picture tilted 0.5 rad towards "MS" in milliseconds mode and 0.5 rad
    towards "TEMPO" in synced mode, turned as a whole by its component transform. A press flips
    the mode and writes "TempoChanger" in one gesture; notifications of "TempoChanger" count only
    when they cross 0.5, so the lever follows the parameter but never chatters. */
class TempoCompassComponent final : public juce::Component
{
public:
    TempoCompassComponent (BoolParameter* tempoChangerParameter, juce::Drawable* picture);
    ~TempoCompassComponent() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Tilts the lever by `delta` radians, kept within -0.5 to +0.5. A delta that would end
        exactly upright keeps the old tilt instead, so rotate (-0.5) then rotate (+0.5) only
        sets the transform again for the current size. */
    void rotate (float delta);

    float getAngle() const noexcept { return angle; }

    /** The editor's view of the mode: true in milliseconds mode. The TIME knob reads it in its
        layout and its timer. */
    bool isMillisecondsMode = false;

    /** Called after every change of mode, from a press or from the parameter. The control row
        points it at the TIME knob's layout, which swaps the knob shown. */
    std::function<void()> onModeChanged;

    /** Takes the parameter's current value as a notification would bring it, for a value that
        was set without one (a restored state); message thread only. Writes nothing. */
    void followParameter();

private:
    void parameterValueChanged (float newValue);
    void refresh();
    void applyTransform();
    void modeChanged();

    BoolParameter* modeParameter = nullptr;
    bool firstLayout = true;
    juce::Drawable* leverPicture = nullptr;
    float angle = 0.0f;
    bool firstPaint = true;
    float lastLayoutWidth = 0.0f;
    float lastNotifiedState = 0.0f;
    ParameterFollower modeFollower;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TempoCompassComponent)
};

/** The captions "TEMPO" (left) and "MS" (right) with the lever standing below them. */
class TempoCompassWrapper final : public juce::Component
{
public:
    TempoCompassWrapper (BoolParameter* tempoChangerParameter, juce::Drawable* picture);
    ~TempoCompassWrapper() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    juce::Label msCaption;
    juce::Label tempoCaption;
    std::unique_ptr<TempoCompassComponent> lever;

private:
    juce::Drawable* leverPicture = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TempoCompassWrapper)
};

/** The unit the control row places under the TIME knob: the lever with its captions and, in
    front of them, the time read-out. It owns the lever picture. */
class TempoChangerButton final : public juce::Component
{
public:
    explicit TempoChangerButton (BoolParameter* tempoChangerParameter);
    ~TempoChangerButton() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    std::unique_ptr<TempoCompassWrapper> compassWrapper;
    std::unique_ptr<TempoLabel> tempoLabel;
    std::unique_ptr<juce::Drawable> leverPicture;

    TempoCompassComponent& getLever() const { return *compassWrapper->lever; }

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TempoChangerButton)
};
