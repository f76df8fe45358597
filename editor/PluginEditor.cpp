#include "PluginEditor.h"

#include "StretchedPicture.h"

#include <BinaryData.h>

namespace
{
// The editor's size at its 100 % step.
constexpr int baseWidth = 1000;
constexpr int baseHeight = 480;

juce::Rectangle<int> boundsOf (int x, int y, int width, int height)
{
    return { x, y, juce::jmax (0, width), juce::jmax (0, height) };
}
} // namespace

EditorLayout EditorLayout::forSize (int width, int height, float sizeChangerAspect)
{
    const auto w = static_cast<double> (width);
    const auto h = static_cast<double> (height);

    // Single precision where the pixel results depend on it, double elsewhere.
    const auto wf = static_cast<float> (width);
    const auto margin = 0.02f * wf;
    const auto inner = wf - (margin + margin);
    const auto bar = inner * 0.052553665f;
    const auto plateWidth = static_cast<float> (0.09 * w);

    EditorLayout layout;
    layout.downGlowBar = boundsOf (static_cast<int> (margin), static_cast<int> (static_cast<float> (height) - bar), static_cast<int> (inner), static_cast<int> (bar));
    layout.upperGlowBar = boundsOf (static_cast<int> (margin), static_cast<int> (0.005 * h), static_cast<int> (inner), static_cast<int> (bar));
    layout.controlRow = boundsOf (0, static_cast<int> (bar), width, static_cast<int> (h - 1.8 * static_cast<double> (bar)));
    layout.updateNotice = boundsOf (static_cast<int> (0.17 * w), static_cast<int> (0.08 * h), static_cast<int> (0.1 * w), static_cast<int> (0.025 * h));
    layout.infoHotspot = boundsOf (static_cast<int> (0.135f * wf), static_cast<int> (0.04 * h), static_cast<int> (0.17 * w), static_cast<int> (0.034 * h));
    layout.sizeChanger = boundsOf (static_cast<int> (0.7935 * w), static_cast<int> (0.005 * h), static_cast<int> (plateWidth), static_cast<int> (sizeChangerAspect * plateWidth));
    return layout;
}

OvelanAudioProcessorEditor::OvelanAudioProcessorEditor (OvelanAudioProcessor& p)
    : juce::AudioProcessorEditor (p)
    , processorRef (p)
{
    backgroundPicture = juce::Drawable::createFromImageData (BinaryData::editor_background_png, BinaryData::editor_background_pngSize);
    sizeChangerPicture = juce::Drawable::createFromImageData (BinaryData::size_changer_plate_png, BinaryData::size_changer_plate_pngSize);

    // Added back to front: the size changer lies above the glow bars.
    downGlowBar = std::make_unique<DownGLowBarComponent>();
    addAndMakeVisible (downGlowBar.get());

    upperGlowBar = std::make_unique<UpperGlowBarComponent>();
    addAndMakeVisible (upperGlowBar.get());

    windowSizeChanger = std::make_unique<WindowSizeChangerComponent> (processorRef.sizeChanger.get(), baseWidth, baseHeight);
    addAndMakeVisible (windowSizeChanger.get());

    // The host may resize freely; nothing holds the 1000:480 proportion.
    setResizable (true, false);
    editorBaseWidth = baseWidth;

    // The notice first: it starts the update check, and the About text copies its version.
    updateContainer = std::make_unique<UpdateContainer>();
    addAndMakeVisible (updateContainer.get());

    popupWindow = std::make_unique<PopuppWindowComponent> (this, updateContainer->updateThread->currentVersion, static_cast<float> (editorBaseWidth), static_cast<float> (baseHeight));
    addAndMakeVisible (popupWindow.get());
    popupWindow->getMenu().toFront (true);

    // Last: the first layout lets the size changer restore the stored step, which may resize
    // the editor once more.
    setSize (editorBaseWidth, baseHeight);
}

OvelanAudioProcessorEditor::~OvelanAudioProcessorEditor() = default;

void OvelanAudioProcessorEditor::paint (juce::Graphics& g)
{
    drawStretched (*backgroundPicture, g, *this);
    g.fillAll (juce::Colour (0x5e000000));
}

void OvelanAudioProcessorEditor::resized()
{
    const auto aspect = static_cast<float> (sizeChangerPicture->getHeight()) / static_cast<float> (sizeChangerPicture->getWidth());
    const auto layout = EditorLayout::forSize (getWidth(), getHeight(), aspect);

    downGlowBar->setBounds (layout.downGlowBar);
    upperGlowBar->setBounds (layout.upperGlowBar);
    updateContainer->setBounds (layout.updateNotice);
    popupWindow->setBounds (layout.infoHotspot);

    // Last, because its first placement may resize the editor and so lay everything out again
    // at the restored size.
    windowSizeChanger->setBounds (layout.sizeChanger);
}
