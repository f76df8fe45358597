#include "ToggleButtons.h"

#include "../engine/ParameterEdit.h"
#include "../engine/ParameterIndex.h"
#include "../engine/ParameterMeaning.h"
#include "EditorLook.h"
#include "StretchedPicture.h"

#include <BinaryData.h>

namespace
{
// In pixels: the rounding stays the same at every size step.
constexpr float cornerSize = 6.0f;

/** Not at least 0.5 (below it, or not a number) turns on; anything else turns off. */
float toggled (float value)
{
    return ParameterMeaning::isOn (value) ? 0.0f : 1.0f;
}

void drawCaption (juce::Graphics& g, const juce::Component& toggle, const char* caption, bool on)
{
    const auto width = static_cast<float> (toggle.getWidth());
    const auto height = static_cast<float> (toggle.getHeight());

    g.setColour (on ? EditorLook::activeText : EditorLook::inactive);
    g.setFont (static_cast<float> (0.55 * height));
    g.drawText (caption, juce::Rectangle<float> (0.0f, 0.0f, width, height), juce::Justification::centred, true);
}
} // namespace

ByPassButtonComponent::ByPassButtonComponent (BoolParameter* bypassParameter)
    : ownParameter (bypassParameter)
    , framePicture (juce::Drawable::createFromImageData (BinaryData::button_frame_svg, BinaryData::button_frame_svgSize))
    , ownFollower (*bypassParameter, [this] (int, float)
                   { repaint(); })
{
}

ByPassButtonComponent::~ByPassButtonComponent() = default;

bool ByPassButtonComponent::isOn() const
{
    return ParameterMeaning::isOn (asHostParameter (ownParameter).getValue());
}

void ByPassButtonComponent::mouseDown (const juce::MouseEvent&)
{
    ParameterEdit::beginGesture (*ownParameter);
    ParameterEdit::writeAndNotify (*ownParameter, toggled (asHostParameter (ownParameter).getValue()));
    repaint();
}

void ByPassButtonComponent::mouseUp (const juce::MouseEvent&)
{
    ParameterEdit::endGesture (*ownParameter);
}

void ByPassButtonComponent::paint (juce::Graphics& g)
{
    drawStretched (*framePicture, g, *this);
    drawCaption (g, *this, EditorLook::Caption::bypass, isOn());
}

void ByPassButtonComponent::resized() {}

NoteVariantToggle::NoteVariantToggle (const char* captionToShow, BoolParameter* own, BoolParameter* partner, BoolParameter* mode)
    : caption (captionToShow)
    , modeParameter (mode)
    , ownParameter (own)
    , partnerParameter (partner)
    , modeFollower (*mode, [this] (int index, float value)
                    { parameterValueChanged (index, value); })
    , ownFollower (*own, [this] (int index, float value)
                   { parameterValueChanged (index, value); })
{
}

NoteVariantToggle::~NoteVariantToggle() = default;

bool NoteVariantToggle::isOn() const
{
    return ParameterMeaning::isOn (asHostParameter (ownParameter).getValue());
}

void NoteVariantToggle::mouseDown (const juce::MouseEvent&)
{
    // The gesture opens on every press, so a host sees the press even when it changes nothing.
    ParameterEdit::beginGesture (*ownParameter);

    if (ParameterMeaning::isOn (asHostParameter (modeParameter).getValue()))
        return;

    ParameterEdit::writeAndNotify (*ownParameter, toggled (asHostParameter (ownParameter).getValue()));
    repaint();
}

void NoteVariantToggle::mouseUp (const juce::MouseEvent&)
{
    ParameterEdit::endGesture (*ownParameter);
}

void NoteVariantToggle::parameterValueChanged (int parameterIndex, float newValue)
{
    if (parameterIndex == ParameterIndex::hostIndex (ParameterIndex::tempoChanger))
    {
        // Every change of mode, either way or a repeat, starts the variants afresh.
        ParameterEdit::writeAndNotify (*ownParameter, 0.0f);
    }
    else if (newValue != 0.0f)
    {
        // The partner's own notification of 0 only repaints it, so the chain ends there.
        ParameterEdit::writeAndNotify (*partnerParameter, 0.0f);
    }

    repaint();
}

void NoteVariantToggle::paint (juce::Graphics& g)
{
    const auto width = static_cast<double> (getWidth());
    const auto height = static_cast<double> (getHeight());
    const auto on = isOn();

    g.setColour (EditorLook::toggleFill);
    g.fillRoundedRectangle (juce::Rectangle<float> (0.0f, 0.0f, static_cast<float> (width), static_cast<float> (height)), cornerSize);

    g.setColour (on ? EditorLook::activeOutline : EditorLook::inactive);
    g.drawRoundedRectangle (juce::Rectangle<float> (static_cast<float> (0.03 * width), static_cast<float> (0.03 * height), static_cast<float> (0.94 * width), static_cast<float> (0.94 * height)),
                            cornerSize,
                            static_cast<float> (0.07 * height));

    drawCaption (g, *this, caption, on);
}

void NoteVariantToggle::resized() {}

TripletButton::TripletButton (BoolParameter* tripletParameter, BoolParameter* dottedParameter, BoolParameter* tempoChangerParameter)
    : NoteVariantToggle (EditorLook::Caption::triplet, tripletParameter, dottedParameter, tempoChangerParameter)
{
}

DottedComponent::DottedComponent (BoolParameter* dottedParameter, BoolParameter* tripletParameter, BoolParameter* tempoChangerParameter)
    : NoteVariantToggle (EditorLook::Caption::dotted, dottedParameter, tripletParameter, tempoChangerParameter)
{
}
