#include "KnobWrapper.h"

#include "EditorLook.h"
#include "UpperKnob.h"

#include <cmath>

MiddleRotatableComponent::MiddleRotatableComponent (juce::Drawable* pictureToDraw, float percent, float minDegrees, float maxDegreesToUse)
    : maxDegrees (maxDegreesToUse)
    , minAngle (EditorLook::radians (minDegrees))
    , maxAngle (EditorLook::radians (maxDegreesToUse))
    , angle (angleForPercent (percent, maxDegreesToUse))
    , picture (pictureToDraw)
{
    // The cap never takes the mouse: the ring over it does.
    setInterceptsMouseClicks (false, false);
}

MiddleRotatableComponent::~MiddleRotatableComponent() = default;

float MiddleRotatableComponent::angleForPercent (float percent, float maxDegreesToUse) noexcept
{
    // 0 % is -maxDegrees, 50 % upright, 100 % +maxDegrees.
    return ((-2.0f * maxDegreesToUse) * (percent / 100.0f) + maxDegreesToUse) / -180.0f * EditorLook::pi;
}

void MiddleRotatableComponent::rotate (float delta)
{
    if (firstRotation)
        firstRotation = false;
    else
        angle += delta;

    if (minAngle > angle)
        angle = minAngle;
    else if (angle > maxAngle)
        angle = maxAngle;

    // About the holder's centre; the holder is square wherever a knob is used.
    const auto px = static_cast<float> (getParentHeight()) * 0.5f;
    const auto py = static_cast<float> (getParentWidth()) * 0.5f;
    setTransform (juce::AffineTransform::rotation (angle, px, py));
}

void MiddleRotatableComponent::setAngleFromValue (float value)
{
    angle = angleForPercent (value * 100.0f, maxDegrees);
    rotate (0.0f);
}

void MiddleRotatableComponent::paint (juce::Graphics& g)
{
    if (picture != nullptr)
        picture->drawWithin (g, juce::Rectangle<float> (0.0f, 0.0f, static_cast<float> (getWidth()), static_cast<float> (getHeight())), juce::RectanglePlacement::stretchToFit, 1.0f);

    if (firstRotation)
        rotate (0.0f);
}

void MiddleRotatableComponent::resized()
{
    // Re-centres the rotation after every size change; the first time it applies the angle the
    // cap was built with.
    rotate (0.0f);
}

KnobButton::KnobButton (juce::Drawable* picture, float percent, float minDegrees, float maxDegrees)
{
    setInterceptsMouseClicks (false, false);
    cap = std::make_unique<MiddleRotatableComponent> (picture, percent, minDegrees, maxDegrees);
    addAndMakeVisible (cap.get());
}

KnobButton::~KnobButton() = default;

void KnobButton::paint (juce::Graphics&)
{
}

void KnobButton::resized()
{
    cap->setBounds (0, 0, getWidth(), getHeight());
}

KnobWrapper::KnobWrapper (std::string name,
                          float minValueToUse,
                          float maxValueToUse,
                          float radiusFactor,
                          juce::Drawable* cap,
                          bool showArc,
                          bool showEndDot,
                          float thicknessFactor,
                          float startDegrees,
                          float sweepDegrees,
                          float,
                          MetaParameter<juce::AudioParameterFloat>* parameterToUse)
    : maxValue (maxValueToUse)
    , minValue (minValueToUse)
    , parameter (parameterToUse)
{
    jassert (parameter != nullptr);

    // Whatever a host left in the parameter, the knob starts inside its range.
    const auto stored = parameter->get();
    const auto value = std::isnan (stored) ? 0.0f : juce::jlimit (0.0f, 1.0f, stored);

    knobButton = std::make_unique<KnobButton> (cap, value * 100.0f, -0.5f * sweepDegrees, 0.5f * sweepDegrees);
    upperKnob = std::make_unique<UpperKnob> (std::move (name), showArc, showEndDot, startDegrees, sweepDegrees, radiusFactor, thicknessFactor, value, &knobButton->getCap(), this, parameter);

    // The ring lies over the cap and so gets the mouse.
    addAndMakeVisible (knobButton.get());
    addAndMakeVisible (upperKnob.get());

    // The knob only shows where the parameter stands: under automation the latest value will do.
    follower = std::make_unique<ParameterFollower> (
        *parameter, [this] (int index, float newValue)
        { parameterValueChanged (index, newValue); },
        ParameterFollower::Delivery::latestValue);
}

KnobWrapper::~KnobWrapper()
{
    // Stop listening before the ring and the cap go.
    follower.reset();
}

void KnobWrapper::paint (juce::Graphics&)
{
}

void KnobWrapper::resized()
{
    const auto w = static_cast<float> (getWidth());
    const auto h = static_cast<float> (getHeight());
    const auto capWidth = static_cast<int> (w * 0.5f);
    const auto capHeight = static_cast<int> (h * 0.5f);

    upperKnob->setBounds (0, 0, static_cast<int> (w), static_cast<int> (h));
    knobButton->setBounds (static_cast<int> ((w - static_cast<float> (capWidth)) * 0.5f),
                           static_cast<int> ((h - static_cast<float> (capHeight)) * 0.5f),
                           capWidth,
                           capHeight);
}

void KnobWrapper::parameterValueChanged (int, float newValue)
{
    if (upperKnob->isDragging())
        return;

    // A host may send anything: a value that is no number leaves the knob as it is; one outside
    // the parameter's range, infinities included, shows as the nearest end, where the parameter
    // itself then stands.
    if (std::isnan (newValue))
        return;

    newValue = juce::jlimit (0.0f, 1.0f, newValue);

    upperKnob->setAngle ((newValue * 100.0f - minValue) / ((maxValue - minValue) / upperKnob->getSweep()));
    knobButton->getCap().setAngleFromValue (newValue);
}
