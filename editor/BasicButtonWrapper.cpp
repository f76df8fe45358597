#include "BasicButtonWrapper.h"

#include "EditorLook.h"

#include <BinaryData.h>

namespace
{
// Ring size and thickness of every small knob, against the knob's side.
constexpr float smallRadiusFactor = 0.795f;
constexpr float smallThicknessFactor = 0.77f;

bool isBalance (const std::string& name)
{
    return name == EditorLook::Caption::balance;
}
} // namespace

CompassWrapper::CompassWrapper (bool isBlueToUse, const std::string& name, MetaParameter<juce::AudioParameterFloat>* parameter)
    : isBlue (isBlueToUse)
{
    // The row builds every knob blue; the green set stays as the knobs' second colour scheme.
    background = isBlue ? juce::Drawable::createFromImageData (BinaryData::small_knob_ring_svg, BinaryData::small_knob_ring_svgSize)
                        : juce::Drawable::createFromImageData (BinaryData::small_knob_ring_green_svg, BinaryData::small_knob_ring_green_svgSize);
    cap = juce::Drawable::createFromImageData (BinaryData::small_knob_cap_svg, BinaryData::small_knob_cap_svgSize);

    knob = std::make_unique<KnobWrapper> (name,
                                          0.0f,
                                          100.0f,
                                          smallRadiusFactor,
                                          cap.get(),
                                          true,
                                          true,
                                          smallThicknessFactor,
                                          BasicButtonWrapper::startDegreesFor (name),
                                          BasicButtonWrapper::sweepDegreesFor (name),
                                          0.0f,
                                          parameter);
    addAndMakeVisible (knob.get());
}

CompassWrapper::~CompassWrapper() = default;

void CompassWrapper::paint (juce::Graphics& g)
{
    const auto w = static_cast<float> (getWidth());
    const auto h = static_cast<float> (getHeight());

    // 90 % of the square, its centre a little right of and above the knob's.
    background->drawWithin (g, juce::Rectangle<float> (0.052f * w, 0.022f * h, 0.9f * w, 0.9f * h), juce::RectanglePlacement::stretchToFit, 1.0f);
}

void CompassWrapper::resized()
{
    knob->setBounds (0, 0, getWidth(), getHeight());
}

BasicTextLabel::BasicTextLabel (const std::string& name)
    : label (juce::String(), juce::String())
{
    label.setJustificationType (juce::Justification::centred);
    label.setColour (juce::Label::textColourId, EditorLook::smallCaptionText);
    label.setText (juce::String (name), juce::dontSendNotification);
    label.setEditable (false, false, false);
    addAndMakeVisible (label);
}

BasicTextLabel::~BasicTextLabel() = default;

void BasicTextLabel::paint (juce::Graphics&)
{
}

void BasicTextLabel::resized()
{
    // The caption's text is as tall as its row.
    auto font = label.getFont();
    font.setHeight (static_cast<float> (getHeight()));
    label.setFont (font);
    label.setBounds (0, 0, getWidth(), getHeight());
}

BasicButtonWrapper::BasicButtonWrapper (bool isBlueToUse, std::string name, MetaParameter<juce::AudioParameterFloat>* parameter, float)
    : isBlue (isBlueToUse)
{
    compass = std::make_unique<CompassWrapper> (isBlue, name, parameter);
    addAndMakeVisible (compass.get());

    label = std::make_unique<BasicTextLabel> (name);
    addAndMakeVisible (label.get());
}

BasicButtonWrapper::~BasicButtonWrapper() = default;

float BasicButtonWrapper::startDegreesFor (const std::string& name) noexcept
{
    return isBalance (name) ? 218.0f : 210.5f;
}

float BasicButtonWrapper::sweepDegreesFor (const std::string& name) noexcept
{
    return isBalance (name) ? 297.0f : 312.5f;
}

void BasicButtonWrapper::paint (juce::Graphics&)
{
}

void BasicButtonWrapper::resized()
{
    const auto w = static_cast<float> (getWidth());
    const auto h = static_cast<float> (getHeight());
    const auto side = static_cast<int> (0.75f * h);

    // Caption over the top 15 %; the knob a square of 75 % of the height, centred across.
    label->setBounds (0, 0, static_cast<int> (w), static_cast<int> (0.15f * h));
    compass->setBounds (static_cast<int> ((w - 0.75f * h) * 0.5f), static_cast<int> (h * 0.22f), side, side);
}
