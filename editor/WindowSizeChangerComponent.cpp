#include "WindowSizeChangerComponent.h"

#include "../engine/ParameterEdit.h"
#include "../engine/PluginProcessor.h"
#include "EditorLook.h"
#include "StretchedPicture.h"

#include <BinaryData.h>

#include <string>

namespace
{
// The plain values of the size parameter that name the three steps. Anything else (a state
// written by hand, say) names no step: the plate then leaves everything as it is.
constexpr float smallStep = 0.0f;
constexpr float baseStep = 1.0f;
constexpr float largeStep = 2.0f;

constexpr float largeFactor = 1.5f;
constexpr float smallFactor = 0.8f;

int scaled (int base, float factor)
{
    return static_cast<int> (static_cast<float> (base) * factor);
}

// Exact on purpose: the plate writes only 0, 0.5 and 1, which the range maps onto 0, 1 and 2.
bool isStep (float value, float step)
{
    return value == step;
}
} // namespace

WindowSizeChangerComponent::WindowSizeChangerComponent (juce::AudioParameterFloat* sizeParameterToUse, int baseEditorWidth, int baseEditorHeight)
    : baseWidth (baseEditorWidth)
    , baseHeight (baseEditorHeight)
    , sizeParameter (sizeParameterToUse)
{
    platePicture = juce::Drawable::createFromImageData (BinaryData::size_changer_plate_png, BinaryData::size_changer_plate_pngSize);
}

WindowSizeChangerComponent::~WindowSizeChangerComponent() = default;

void WindowSizeChangerComponent::resizeEditor (int width, int height)
{
    if (auto* editor = getParentComponent())
        editor->setBounds (editor->getX(), editor->getY(), width, height);
}

void WindowSizeChangerComponent::mouseUp (const juce::MouseEvent&)
{
    const auto step = sizeParameter->get();

    // The parameter is hidden from the host and has no listeners: a plain write is all the
    // saved state needs, and no gesture reaches the host.
    if (isStep (step, baseStep))
    {
        resizeEditor (scaled (baseWidth, largeFactor), scaled (baseHeight, largeFactor));
        percent = 150;
        ParameterEdit::writeQuietly (*sizeParameter, 1.0f);
    }
    else if (isStep (step, largeStep))
    {
        resizeEditor (scaled (baseWidth, smallFactor), scaled (baseHeight, smallFactor));
        percent = 80;
        ParameterEdit::writeQuietly (*sizeParameter, 0.0f);
    }
    else if (isStep (step, smallStep))
    {
        resizeEditor (baseWidth, baseHeight);
        ParameterEdit::writeQuietly (*sizeParameter, 0.5f);
        percent = 100;
    }

    repaint();

    if (auto* editor = getParentComponent())
        editor->resized();
}

void WindowSizeChangerComponent::resized()
{
    // Only the first layout restores the stored step; clearing the flag first keeps the nested
    // layout that the resize causes from restoring again.
    if (! firstResize)
        return;

    firstResize = false;
    const auto step = sizeParameter->get();

    if (isStep (step, baseStep))
    {
        resizeEditor (baseWidth, baseHeight);
        percent = 100;
    }
    else if (isStep (step, largeStep))
    {
        resizeEditor (scaled (baseWidth, largeFactor), scaled (baseHeight, largeFactor));
        percent = 150;
    }
    else if (isStep (step, smallStep))
    {
        resizeEditor (scaled (baseWidth, smallFactor), scaled (baseHeight, smallFactor));
        percent = 80;
    }
}

juce::String WindowSizeChangerComponent::getShownText() const
{
    return juce::String (std::to_string (percent) + "%");
}

void WindowSizeChangerComponent::paint (juce::Graphics& g)
{
    const auto width = getWidth();
    const auto height = getHeight();

    drawStretched (*platePicture, g, *this);

    g.setColour (EditorLook::activeText);
    g.setFont (static_cast<float> (0.3 * height));
    g.drawText (getShownText(), 0, 0, width, height, juce::Justification::centred, true);
}
