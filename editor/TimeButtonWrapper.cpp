#include "TimeButtonWrapper.h"

#include "../engine/ParameterEdit.h"
#include "../engine/ParameterMeaning.h"
#include "EditorLook.h"
#include "StretchedPicture.h"

#include <BinaryData.h>

#include <cmath>
#include <limits>

namespace
{
constexpr int readOutIntervalMs = 100;

/** A float as an int, truncated toward zero; nothing a host may write (not a number, or out of
    range) reaches the undefined conversion. */
int truncated (float value)
{
    if (! (value > static_cast<float> (std::numeric_limits<int>::min()) && value < static_cast<float> (std::numeric_limits<int>::max())))
        return value > 0.0f ? std::numeric_limits<int>::max() : (value < 0.0f ? std::numeric_limits<int>::min() : 0);

    return static_cast<int> (value);
}
} // namespace

TimeButtonNameLabel::TimeButtonNameLabel()
    : captionLabel (juce::String(), juce::String())
{
}

TimeButtonNameLabel::~TimeButtonNameLabel() = default;

void TimeButtonNameLabel::paint (juce::Graphics&) {}

void TimeButtonNameLabel::resized()
{
    auto font = captionLabel.getFont();
    font.setHeight (0.6f * static_cast<float> (getHeight()));
    captionLabel.setFont (font);
    captionLabel.setBounds (0, 0, getWidth(), getHeight());
}

TimeCompassWrapper::TimeCompassWrapper (bool isBlueToUse,
                                        std::string nameToShow,
                                        float minValue,
                                        float maxValue,
                                        float radiusFactor,
                                        bool showArc,
                                        bool showEndDot,
                                        float thicknessFactor,
                                        float startDegrees,
                                        float sweepDegrees,
                                        float spare,
                                        FloatParameter* parameterToUse,
                                        TempoChangerButton* tempoButtonToUse,
                                        FloatParameter* msParameterToUse)
    : isBlue (isBlueToUse)
    // The row builds every knob blue; the green set stays as the knobs' second colour scheme.
    , capPicture (isBlueToUse ? juce::Drawable::createFromImageData (BinaryData::big_knob_cap_svg, BinaryData::big_knob_cap_svgSize)
                              : juce::Drawable::createFromImageData (BinaryData::big_knob_cap_green_svg, BinaryData::big_knob_cap_green_svgSize))
    , name (std::move (nameToShow))
    , tempoButton (tempoButtonToUse)
    , msParameter (msParameterToUse)
    , parameter (parameterToUse)
{
    knob = std::make_unique<KnobWrapper> (name, minValue, maxValue, radiusFactor, capPicture.get(), showArc, showEndDot, thicknessFactor, startDegrees, sweepDegrees, spare, parameter);
    addAndMakeVisible (knob.get());

    if (name != EditorLook::Caption::time)
        return;

    msKnob = std::make_unique<KnobWrapper> (name, minValue, maxValue, radiusFactor, capPicture.get(), showArc, showEndDot, thicknessFactor, startDegrees, sweepDegrees, spare, msParameter);
    addAndMakeVisible (msKnob.get());

    readOutToRelease = tempoButton->tempoLabel.get();
    readOut().textLabel.addListener (this);
    startTimer (readOutIntervalMs);
}

TimeCompassWrapper::~TimeCompassWrapper()
{
    stopTimer();

    // The control row lets the read-out go first; anywhere else it may still be here.
    if (readOutToRelease != nullptr)
        readOutToRelease->textLabel.removeListener (this);

    msKnob.reset();
    knob.reset();
}

TempoLabel& TimeCompassWrapper::readOut() const
{
    return *tempoButton->tempoLabel;
}

bool TimeCompassWrapper::isMillisecondsMode() const
{
    return tempoButton->getLever().isMillisecondsMode;
}

void TimeCompassWrapper::showText (const std::string& text)
{
    readOut().setTextProperties (text);
    readOut().resized();
}

void TimeCompassWrapper::paint (juce::Graphics&) {}

void TimeCompassWrapper::resized()
{
    const auto width = getWidth();
    const auto height = getHeight();

    // As large as the core, lifted by 12 % of its height.
    const auto y = truncated (static_cast<float> (-height * 0.12));
    knob->setBounds (0, y, width, height);

    if (name != EditorLook::Caption::time)
        return;

    msKnob->setBounds (0, y, width, height);

    // The one place where TIME swaps its knobs: the lever calls this on every change of mode.
    if (isMillisecondsMode())
    {
        msKnob->setVisible (true);
        knob->setVisible (false);
        // One product, not freeDelayMs's two, so it may show one millisecond more than a tick.
        readOut().setTextProperties (std::to_string (truncated (msParameter->get() * static_cast<float> (ParameterMeaning::longestFreeDelayMs))));
    }
    else
    {
        msKnob->setVisible (false);
        knob->setVisible (true);
        readOut().setTextProperties (std::to_string (truncated (parameter->get() * 100.0f)));
    }

    readOut().resized();
}

void TimeCompassWrapper::timerCallback()
{
    if (isMillisecondsMode())
    {
        readOut().textLabel.setEditable (true, false, false);

        // Rewritten only when "MS" changes, so a tick never disturbs the user's typing.
        const auto value = msParameter->get();

        if (value == lastShownMs)
            return;

        lastShownMs = value;
        showText (millisecondsText (value));
    }
    else
    {
        readOut().textLabel.setEditable (false, false, false);

        // The label ignores a text it already shows: an idle tick repaints nothing.
        showText (noteValueText (parameter->get()));
    }
}

std::string TimeCompassWrapper::noteValueText (float syncValue)
{
    const auto wholeNotes = ParameterMeaning::noteValues[ParameterMeaning::noteIndexOf (syncValue)];

    if (wholeNotes >= 1.0)
        return std::to_string (static_cast<int> (wholeNotes));

    return "1/" + std::to_string (static_cast<int> (1.0 / wholeNotes));
}

std::string TimeCompassWrapper::millisecondsText (float msValue)
{
    return std::to_string (truncated (std::round (ParameterMeaning::freeDelayMs (msValue))));
}

std::string TimeCompassWrapper::putBackText (float msValue)
{
    return std::to_string (truncated (ParameterMeaning::freeDelayMs (msValue)));
}

std::optional<int> TimeCompassWrapper::acceptedMilliseconds (const std::string& typed)
{
    const auto isDigit = [] (char c)
    { return c >= '0' && c <= '9'; };

    if (typed.empty())
        return std::nullopt;

    size_t position = 0;
    auto negative = false;

    if (typed[0] == '-' || typed[0] == '+')
    {
        negative = typed[0] == '-';
        ++position;
    }

    if (position >= typed.size() || ! isDigit (typed[position]))
        return std::nullopt;

    // Whatever follows the digits is ignored ("250ms" is 250). The value stops growing once it
    // is out of range, so no length of digits can overflow it.
    long long magnitude = 0;

    for (; position < typed.size() && isDigit (typed[position]); ++position)
        if (magnitude <= ParameterMeaning::longestFreeDelayMs)
            magnitude = magnitude * 10 + (typed[position] - '0');

    const auto value = negative ? -magnitude : magnitude;

    if (value < 0 || value > ParameterMeaning::longestFreeDelayMs)
        return std::nullopt;

    return static_cast<int> (value);
}

void TimeCompassWrapper::labelTextChanged (juce::Label* labelThatHasChanged)
{
    if (labelThatHasChanged == nullptr)
        return;

    const auto typed = labelThatHasChanged->getText().toStdString();

    if (const auto milliseconds = acceptedMilliseconds (typed))
    {
        // No gesture: a typed value is one write, not an edit in progress. The label keeps the
        // typed text until the next tick writes the new value as whole milliseconds.
        ParameterEdit::writeAndNotify (*msParameter, ParameterMeaning::msValueFor (*milliseconds));
        return;
    }

    readOut().setTextProperties (putBackText (msParameter->get()));
}

TimeButtonWrapper::TimeButtonWrapper (bool isBlueToUse,
                                      std::string name,
                                      float minValue,
                                      float maxValue,
                                      float radiusFactor,
                                      bool showArc,
                                      bool showEndDot,
                                      float thicknessFactor,
                                      float startDegrees,
                                      float sweepDegrees,
                                      float spare,
                                      FloatParameter* parameter,
                                      TempoChangerButton* tempoButton,
                                      FloatParameter* msParameter)
    : isBlue (isBlueToUse)
{
    nameLabel = std::make_unique<TimeButtonNameLabel>();
    auto& caption = nameLabel->captionLabel;
    caption.setJustificationType (juce::Justification::centred);
    caption.setColour (juce::Label::textColourId, EditorLook::captionText);
    caption.setText (juce::String (name), juce::dontSendNotification);
    caption.setEditable (false, false, false);
    nameLabel->addAndMakeVisible (caption);
    addAndMakeVisible (nameLabel.get());

    // Child 1: the tempo lever finds the TIME core there.
    compass = std::make_unique<TimeCompassWrapper> (isBlue, name, minValue, maxValue, radiusFactor, showArc, showEndDot, thicknessFactor, startDegrees, sweepDegrees, spare, parameter, tempoButton, msParameter);
    addAndMakeVisible (compass.get());

    // The row builds every knob blue; the green set stays as the knobs' second colour scheme.
    framePicture = isBlue ? juce::Drawable::createFromImageData (BinaryData::big_knob_frame_svg, BinaryData::big_knob_frame_svgSize)
                          : juce::Drawable::createFromImageData (BinaryData::big_knob_frame_green_svg, BinaryData::big_knob_frame_green_svgSize);
}

TimeButtonWrapper::~TimeButtonWrapper() = default;

void TimeButtonWrapper::paint (juce::Graphics& g)
{
    drawStretched (*framePicture, g, *this);
}

void TimeButtonWrapper::resized()
{
    const auto width = static_cast<float> (getWidth());
    const auto height = static_cast<float> (getHeight());
    const auto side = 0.7f * height;

    nameLabel->setBounds (0, static_cast<int> (0.05f * height), static_cast<int> (width), static_cast<int> (0.15f * height));
    compass->setBounds (static_cast<int> ((width - side) * 0.5f), static_cast<int> (height * 0.2f), static_cast<int> (side), static_cast<int> (side));
}
