#pragma once

#include "../engine/MetaParameter.h"
#include "ParameterFollower.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** BYPASS: a text toggle on the "Bypass" parameter over the rectangular frame picture. It keeps
    no state of its own: every paint reads the parameter, every press toggles it inside one
    edit gesture. */
class ByPassButtonComponent final : public juce::Component
{
public:
    explicit ByPassButtonComponent (BoolParameter* bypassParameter);
    ~ByPassButtonComponent() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    bool isOn() const;

private:
    BoolParameter* ownParameter = nullptr;
    std::unique_ptr<juce::Drawable> framePicture;
    ParameterFollower ownFollower;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ByPassButtonComponent)
};

/** One of the two note-variant toggles, TRIPLET or DOTTED. They exclude each other (turning one
    on clears its partner), ignore presses in milliseconds mode (the gesture still opens and
    closes, with no value in it), and clear themselves on every notification of "TempoChanger".
    Each listens to its own parameter and to "TempoChanger" only, never to its partner's. */
class NoteVariantToggle : public juce::Component
{
public:
    ~NoteVariantToggle() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    bool isOn() const;

protected:
    NoteVariantToggle (const char* captionToShow, BoolParameter* own, BoolParameter* partner, BoolParameter* mode);

private:
    void parameterValueChanged (int parameterIndex, float newValue);

    const char* caption;
    BoolParameter* modeParameter = nullptr;
    BoolParameter* ownParameter = nullptr;
    BoolParameter* partnerParameter = nullptr;

    // Destroyed in reverse: the own parameter is let go first, then "TempoChanger".
    ParameterFollower modeFollower;
    ParameterFollower ownFollower;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NoteVariantToggle)
};

/** TRIPLET: "Triplet", cleared by and clearing "Dotted". */
class TripletButton final : public NoteVariantToggle
{
public:
    TripletButton (BoolParameter* tripletParameter, BoolParameter* dottedParameter, BoolParameter* tempoChangerParameter);
};

/** DOTTED: "Dotted", cleared by and clearing "Triplet". */
class DottedComponent final : public NoteVariantToggle
{
public:
    DottedComponent (BoolParameter* dottedParameter, BoolParameter* tripletParameter, BoolParameter* tempoChangerParameter);
};
