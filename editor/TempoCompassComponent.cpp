#include "TempoCompassComponent.h"

#include "../engine/ParameterEdit.h"
#include "../engine/ParameterMeaning.h"
#include "EditorLook.h"

#include <BinaryData.h>

namespace
{
constexpr float maxTilt = 0.5f;

bool isMillisecondsValue (float value)
{
    return ParameterMeaning::isOn (value);
}
} // namespace

TempoCompassComponent::TempoCompassComponent (BoolParameter* tempoChangerParameter, juce::Drawable* picture)
    : isMillisecondsMode (isMillisecondsValue (asHostParameter (tempoChangerParameter).getValue()))
    , modeParameter (tempoChangerParameter)
    , leverPicture (picture)
    , lastNotifiedState (isMillisecondsMode ? 1.0f : 0.0f)
    , modeFollower (*tempoChangerParameter, [this] (int, float value)
                    { parameterValueChanged (value); })
{
}

TempoCompassComponent::~TempoCompassComponent() = default;

void TempoCompassComponent::applyTransform()
{
    // The transform works in the parent's space, so the pivot is measured from the wrapper's
    // corner with the lever's own size.
    const auto width = static_cast<float> (getWidth());
    const auto height = static_cast<float> (getHeight());
    setTransform (juce::AffineTransform::rotation (angle, 0.995f * width, 0.33f * height + height));
}

void TempoCompassComponent::rotate (float delta)
{
    auto x = angle + delta;

    if (x >= maxTilt)
        x = maxTilt;
    else if (x <= -maxTilt)
        x = -maxTilt;
    else if (x == 0.0f)
        x = angle;

    angle = x;
    applyTransform();
}

void TempoCompassComponent::refresh()
{
    rotate (-maxTilt);
    rotate (maxTilt);
}

void TempoCompassComponent::paint (juce::Graphics& g)
{
    if (firstPaint)
    {
        firstPaint = false;
        lastLayoutWidth = static_cast<float> (getWidth());
        refresh();
    }

    leverPicture->drawWithin (g, getLocalBounds().toFloat(), juce::RectanglePlacement::stretchToFit, 1.0f);
}

void TempoCompassComponent::resized()
{
    const auto width = static_cast<float> (getWidth());

    if (lastLayoutWidth != width)
    {
        refresh();
        lastLayoutWidth = width;
    }

    if (firstLayout)
    {
        angle = isMillisecondsValue (asHostParameter (modeParameter).getValue()) ? maxTilt : -maxTilt;
        applyTransform();
        firstLayout = false;
    }
}

void TempoCompassComponent::mouseDown (const juce::MouseEvent&)
{
    ParameterEdit::beginGesture (*modeParameter);

    // The new value comes from the lever's own flag, so a lever that has not yet seen a
    // restored value catches up with it here.
    isMillisecondsMode = ! isMillisecondsMode;
    ParameterEdit::writeAndNotify (*modeParameter, isMillisecondsMode ? 1.0f : 0.0f);

    modeChanged();
}

void TempoCompassComponent::mouseDrag (const juce::MouseEvent&) {}

void TempoCompassComponent::mouseUp (const juce::MouseEvent&)
{
    ParameterEdit::endGesture (*modeParameter);
}

void TempoCompassComponent::parameterValueChanged (float newValue)
{
    if (isMillisecondsValue (newValue))
    {
        if (lastNotifiedState != 0.0f)
            return;

        lastNotifiedState = 1.0f;
        isMillisecondsMode = true;
        rotate (1.0f);
    }
    else
    {
        if (lastNotifiedState != 1.0f)
            return;

        lastNotifiedState = 0.0f;
        isMillisecondsMode = false;
        rotate (-1.0f);
    }

    modeChanged();
}

void TempoCompassComponent::followParameter()
{
    parameterValueChanged (asHostParameter (modeParameter).getValue());
}

void TempoCompassComponent::modeChanged()
{
    if (onModeChanged != nullptr)
        onModeChanged();
}

TempoCompassWrapper::TempoCompassWrapper (BoolParameter* tempoChangerParameter, juce::Drawable* picture)
    : lever (std::make_unique<TempoCompassComponent> (tempoChangerParameter, picture))
    , leverPicture (picture)
{
    addAndMakeVisible (lever.get());

    for (auto [caption, text] : { std::pair{ &msCaption, EditorLook::Caption::milliseconds }, std::pair{ &tempoCaption, EditorLook::Caption::tempo } })
    {
        caption->setJustificationType (juce::Justification::centred);
        caption->setColour (juce::Label::textColourId, EditorLook::captionText);
        caption->setText (text, juce::dontSendNotification);
        caption->setEditable (false, false, false);
        addAndMakeVisible (caption);
    }
}

TempoCompassWrapper::~TempoCompassWrapper()
{
    lever.reset();
}

void TempoCompassWrapper::paint (juce::Graphics&) {}

void TempoCompassWrapper::resized()
{
    const auto width = static_cast<float> (getWidth());
    const auto height = static_cast<float> (getHeight());
    const auto pictureWidth = static_cast<float> (leverPicture->getWidth());
    const auto pictureHeight = static_cast<float> (leverPicture->getHeight());

    auto leverWidth = 0.5f * width;
    auto leverHeight = (pictureHeight / pictureWidth) * leverWidth;

    if (leverHeight > height)
    {
        leverWidth = (pictureWidth / pictureHeight) * height;
        leverHeight = height;
    }

    const auto captionHeight = 0.15f * height;

    for (auto* caption : { &msCaption, &tempoCaption })
    {
        auto font = caption->getFont();
        font.setHeight (captionHeight);
        caption->setFont (font);
    }

    // The captions sit right above the lever; their boxes overlap a little in the middle.
    const auto captionTop = static_cast<int> ((height - leverHeight) - 0.15f * height);
    msCaption.setBounds (static_cast<int> (0.55f * width), captionTop, static_cast<int> (0.4f * width), static_cast<int> (captionHeight));
    tempoCaption.setBounds (0, captionTop, static_cast<int> (0.6f * width), static_cast<int> (captionHeight));

    lever->setBounds (static_cast<int> ((width - leverWidth) * 0.5f), static_cast<int> (height - leverHeight), static_cast<int> (leverWidth), static_cast<int> (leverHeight));
}

TempoChangerButton::TempoChangerButton (BoolParameter* tempoChangerParameter)
{
    leverPicture = juce::Drawable::createFromImageData (BinaryData::tempo_lever_svg, BinaryData::tempo_lever_svgSize);

    compassWrapper = std::make_unique<TempoCompassWrapper> (tempoChangerParameter, leverPicture.get());
    addAndMakeVisible (compassWrapper.get());

    // In front of the lever's captions where the two overlap.
    tempoLabel = std::make_unique<TempoLabel>();
    addAndMakeVisible (tempoLabel.get());
}

TempoChangerButton::~TempoChangerButton()
{
    leverPicture.reset();
    tempoLabel.reset();
    compassWrapper.reset();
}

void TempoChangerButton::paint (juce::Graphics&) {}

void TempoChangerButton::resized()
{
    const auto width = getWidth();
    const auto height = static_cast<float> (getHeight());
    const auto side = 0.75f * height;

    compassWrapper->setBounds (static_cast<int> ((static_cast<float> (width) - side) * 0.5f), static_cast<int> (0.15f * height), static_cast<int> (side), static_cast<int> (side));
    tempoLabel->setBounds (width / 4, static_cast<int> (0.05f * height), width / 2, static_cast<int> (0.24f * height));
}
