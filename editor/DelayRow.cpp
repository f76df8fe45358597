#include "DelayRow.h"

#include "../engine/ParameterIndex.h"
#include "EditorLook.h"

#include <BinaryData.h>

namespace
{
using EditorLook::boundsOf;

// The big knobs: a full circle of ring from 6 o'clock, no end dot.
constexpr float bigMinValue = 0.0f;
constexpr float bigMaxValue = 100.0f;
constexpr float bigRadiusFactor = 1.7f;
constexpr bool bigShowArc = true;
constexpr bool bigShowEndDot = false;
constexpr float bigThicknessFactor = 0.9f;
constexpr float bigStartDegrees = 180.0f;
constexpr float bigSweepDegrees = 360.0f;
// The knobs' `spare` argument is not read; it stays to keep the order of their arguments.
constexpr float unusedSpare = 0.0f;

int whole (double value)
{
    return static_cast<int> (value);
}

int whole (float value)
{
    return static_cast<int> (value);
}
} // namespace

std::array<juce::Rectangle<int>, 6> smallKnobBoundsInRow (int rowWidth, int rowHeight)
{
    const auto w = static_cast<double> (rowWidth);
    const auto h = static_cast<double> (rowHeight);

    // Single precision throughout, as the pixel results at the size steps depend on it.
    const auto e = static_cast<float> (-h * 0.01);
    const auto l = static_cast<float> (-h * 0.05);
    const auto o = static_cast<float> (0.13 * w);
    const auto rowGap = static_cast<float> (0.11 * h);
    const auto lowerOffset = static_cast<float> (0.35 * h);
    const auto x0 = static_cast<float> (0.135 * w);

    const auto x1 = static_cast<int> (o * 1.15f + x0);
    const auto x2 = static_cast<int> ((o + o) * 1.15f + x0);
    const auto x3 = static_cast<int> (o * 3.0f * 1.15f + x0);
    const auto y1 = static_cast<int> (e + rowGap);
    const auto y2 = static_cast<int> (rowGap + rowGap + lowerOffset + l);
    const auto side = juce::jmax (0, static_cast<int> (o));

    return { boundsOf (x1, y1, side, side), boundsOf (x2, y1, side, side), boundsOf (x3, y1, side, side),
             boundsOf (x1, y2, side, side), boundsOf (x2, y2, side, side), boundsOf (x3, y2, side, side) };
}

DelayRow::DelayRow (const std::vector<FloatParameter*>& floatParameters, const std::vector<BoolParameter*>& boolParameters)
{
    using F = ParameterIndex::Float;
    using B = ParameterIndex::Bool;

    framePicture = juce::Drawable::createFromImageData (BinaryData::button_frame_svg, BinaryData::button_frame_svgSize);

    feedKnob = std::make_unique<BasicButtonWrapper> (true, EditorLook::Caption::feed, floatParameters.at (F::feedback));
    addAndMakeVisible (feedKnob.get());
    balanceKnob = std::make_unique<BasicButtonWrapper> (true, EditorLook::Caption::balance, floatParameters.at (F::balance));
    addAndMakeVisible (balanceKnob.get());
    widthKnob = std::make_unique<BasicButtonWrapper> (true, EditorLook::Caption::width, floatParameters.at (F::width));
    addAndMakeVisible (widthKnob.get());
    driveKnob = std::make_unique<BasicButtonWrapper> (true, EditorLook::Caption::drive, floatParameters.at (F::drive));
    addAndMakeVisible (driveKnob.get());
    brightKnob = std::make_unique<BasicButtonWrapper> (true, EditorLook::Caption::bright, floatParameters.at (F::bright));
    addAndMakeVisible (brightKnob.get());
    darkKnob = std::make_unique<BasicButtonWrapper> (true, EditorLook::Caption::dark, floatParameters.at (F::dark));
    addAndMakeVisible (darkKnob.get());

    // Built before TIME, which listens to its read-out; added later, above TIME.
    tempoButton = std::make_unique<TempoChangerButton> (boolParameters.at (B::tempoChanger));

    timeKnob = std::make_unique<TimeButtonWrapper> (true, EditorLook::Caption::time, bigMinValue, bigMaxValue, bigRadiusFactor, bigShowArc, bigShowEndDot, bigThicknessFactor, bigStartDegrees, bigSweepDegrees, unusedSpare, floatParameters.at (F::sync), tempoButton.get(), floatParameters.at (F::ms));
    addAndMakeVisible (timeKnob.get());

    // The lever re-lays out TIME's core after every change of mode, which swaps the knob shown.
    // The lever holder goes before TIME, so the pointer never outlives the core.
    tempoButton->getLever().onModeChanged = [core = &timeKnob->getCompass()]
    { core->resized(); };

    mixKnob = std::make_unique<TimeButtonWrapper> (true, EditorLook::Caption::mix, bigMinValue, bigMaxValue, bigRadiusFactor, bigShowArc, bigShowEndDot, bigThicknessFactor, bigStartDegrees, bigSweepDegrees, unusedSpare, floatParameters.at (F::mix), tempoButton.get(), floatParameters.at (F::mix));

    tripletButton = std::make_unique<TripletButton> (boolParameters.at (B::triplet), boolParameters.at (B::dotted), boolParameters.at (B::tempoChanger));
    dottedButton = std::make_unique<DottedComponent> (boolParameters.at (B::dotted), boolParameters.at (B::triplet), boolParameters.at (B::tempoChanger));
    bypassButton = std::make_unique<ByPassButtonComponent> (boolParameters.at (B::bypass));

    addAndMakeVisible (tempoButton.get());
    addAndMakeVisible (mixKnob.get());
    addAndMakeVisible (tripletButton.get());
    addAndMakeVisible (dottedButton.get());
    addAndMakeVisible (bypassButton.get());
}

DelayRow::~DelayRow() = default;

void DelayRow::paint (juce::Graphics&) {}

void DelayRow::resized()
{
    const auto w = static_cast<double> (getWidth());
    const auto h = static_cast<double> (getHeight());

    // Single precision where the pixel results depend on it, double elsewhere.
    const auto g = 0.06 * w;
    const auto e = static_cast<float> (-h * 0.01);
    const auto l = static_cast<float> (-h * 0.05);
    const auto m = static_cast<float> (0.01 * h + l);
    const auto o = static_cast<float> (0.13 * w);
    const auto big = whole (static_cast<float> (w * 0.2));
    const auto s = o / 1.3f;
    const auto w12 = static_cast<float> (0.12 * w);
    const auto half = w12 * 0.5f;
    const auto toggleHeight = static_cast<float> (w12 * 0.2);
    const auto u = 0.059 * w + g;
    const auto bypassWidth = static_cast<float> (0.074 * w);
    const auto ratio = static_cast<float> (framePicture->getHeight()) / static_cast<float> (framePicture->getWidth());

    timeKnob->setBounds (whole (0.018 * w + g), whole (0.065 * h + e), big, big);
    tempoButton->setBounds (whole (0.067 * w + g), whole (0.55 * h + m), whole (s), whole (s));

    const auto toggleY = whole (s + 0.55 * h + m);
    tripletButton->setBounds (whole (u), toggleY, whole (half), whole (toggleHeight));
    dottedButton->setBounds (whole (half + u), toggleY, whole (half), whole (toggleHeight));

    const auto small = smallKnobBoundsInRow (getWidth(), getHeight());
    feedKnob->setBounds (small[0]);
    balanceKnob->setBounds (small[1]);
    widthKnob->setBounds (small[2]);
    driveKnob->setBounds (small[3]);
    brightKnob->setBounds (small[4]);
    darkKnob->setBounds (small[5]);

    mixKnob->setBounds (whole (0.78 * w - g), whole (0.53 * h + l), big, big);
    bypassButton->setBounds (whole (0.8435 * w - g), whole (0.27 * h + e), whole (bypassWidth), whole (ratio * bypassWidth));
}

DelayRowWrapper::DelayRowWrapper (const std::vector<FloatParameter*>& floatParameters, const std::vector<BoolParameter*>& boolParameters)
    : delayRow (std::make_unique<DelayRow> (floatParameters, boolParameters))
{
    addAndMakeVisible (delayRow.get());
}

DelayRowWrapper::~DelayRowWrapper() = default;

void DelayRowWrapper::paint (juce::Graphics&) {}

void DelayRowWrapper::resized()
{
    delayRow->setBounds (getLocalBounds());
}
