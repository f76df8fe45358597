#include "PluginEditor.h"

#include "EditorLook.h"
#include "StretchedPicture.h"

#include <BinaryData.h>

#include <cmath>

namespace
{
using EditorLook::boundsOf;

// The editor's size at its 100 % step.
constexpr int baseWidth = 1000;
constexpr int baseHeight = 480;

// Larger than a 5K screen's pixels: drawn directly instead of kept.
constexpr double maxKeptBackgroundPixels = 5120.0 * 2880.0;

bool isOpaqueImage (const juce::Image& image)
{
    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);

    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (pixels.getPixelColour (x, y).getAlpha() != 0xff)
                return false;

    return true;
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

    // Back-most: every control of the row, each with the parameters it works on.
    delayRowWrapper = std::make_unique<DelayRowWrapper> (*processorRef.floatParameters, *processorRef.boolParameters);
    addAndMakeVisible (delayRowWrapper.get());
    restoredStateFollower = std::make_unique<RestoredStateFollower> (processorRef, *delayRowWrapper);

    // Added back to front: the size changer lies above the glow bars.
    downGlowBar = std::make_unique<DownGLowBarComponent>();
    addAndMakeVisible (downGlowBar.get());

    upperGlowBar = std::make_unique<UpperGlowBarComponent>();
    addAndMakeVisible (upperGlowBar.get());

    windowSizeChanger = std::make_unique<WindowSizeChangerComponent> (processorRef.sizeChanger.get(), baseWidth, baseHeight);
    addAndMakeVisible (windowSizeChanger.get());

    // The bars and the plate are pictures resampled to their size; like the background they are
    // drawn once per size and then only copied, which keeps a full repaint cheap.
    for (auto* picture : { static_cast<juce::Component*> (downGlowBar.get()), static_cast<juce::Component*> (upperGlowBar.get()), static_cast<juce::Component*> (windowSizeChanger.get()) })
        picture->setBufferedToImage (true);

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

const juce::Image& OvelanAudioProcessorEditor::backgroundAt (float pixelScale)
{
    const auto width = juce::roundToInt (static_cast<float> (getWidth()) * pixelScale);
    const auto height = juce::roundToInt (static_cast<float> (getHeight()) * pixelScale);

    if (backgroundCache.isNull() || backgroundCache.getWidth() != width || backgroundCache.getHeight() != height || backgroundCacheScale != pixelScale)
    {
        // Resampling the picture is nearly all of a paint's cost: do it once per size.
        backgroundCache = juce::Image (juce::Image::ARGB, width, height, true);
        backgroundCacheScale = pixelScale;

        {
            juce::Graphics cacheGraphics (backgroundCache);
            cacheGraphics.addTransform (juce::AffineTransform::scale (pixelScale));
            drawStretched (*backgroundPicture, cacheGraphics, *this);
            cacheGraphics.fillAll (EditorLook::backgroundVeil);
        }

        // An opaque result is kept without alpha, which halves the cost of copying it.
        if (isOpaqueImage (backgroundCache))
            backgroundCache = backgroundCache.convertedToFormat (juce::Image::RGB);
    }

    return backgroundCache;
}

void OvelanAudioProcessorEditor::paint (juce::Graphics& g)
{
    if (getWidth() <= 0 || getHeight() <= 0)
        return;

    // Kept at the display's own pixel size, so a high-density screen loses no detail. A size
    // beyond any screen is drawn directly rather than kept, which would cost hundreds of
    // megabytes.
    const auto pixelScale = g.getInternalContext().getPhysicalPixelScaleFactor();
    const auto physicalPixels = static_cast<double> (getWidth()) * getHeight() * pixelScale * pixelScale;

    if (! (pixelScale > 0.0f) || ! std::isfinite (pixelScale) || physicalPixels > maxKeptBackgroundPixels)
    {
        drawStretched (*backgroundPicture, g, *this);
        g.fillAll (EditorLook::backgroundVeil);
        return;
    }

    const auto& background = backgroundAt (pixelScale);

    if (pixelScale == 1.0f)
        g.drawImageAt (background, 0, 0);
    else
        g.drawImageTransformed (background, juce::AffineTransform::scale (1.0f / pixelScale));
}

void OvelanAudioProcessorEditor::resized()
{
    const auto aspect = static_cast<float> (sizeChangerPicture->getHeight()) / static_cast<float> (sizeChangerPicture->getWidth());
    const auto layout = EditorLayout::forSize (getWidth(), getHeight(), aspect);

    downGlowBar->setBounds (layout.downGlowBar);
    upperGlowBar->setBounds (layout.upperGlowBar);
    delayRowWrapper->setBounds (layout.controlRow);
    updateContainer->setBounds (layout.updateNotice);
    popupWindow->setBounds (layout.infoHotspot);

    // Last, because its first placement may resize the editor and so lay everything out again
    // at the restored size.
    windowSizeChanger->setBounds (layout.sizeChanger);
}
