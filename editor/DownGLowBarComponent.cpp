#include "DownGLowBarComponent.h"

#include "StretchedPicture.h"

#include <BinaryData.h>

DelayLogoComponent::DelayLogoComponent()
    : StretchedPictureComponent (BinaryData::product_logo_png, BinaryData::product_logo_pngSize)
{
}

DownGLowBarComponent::DownGLowBarComponent()
{
    glowPicture = juce::Drawable::createFromImageData (BinaryData::glow_bar_bottom_png, BinaryData::glow_bar_bottom_pngSize);
    logoShapePicture = juce::Drawable::createFromImageData (BinaryData::product_logo_png, BinaryData::product_logo_pngSize);
    productLogo = std::make_unique<DelayLogoComponent>();
    addAndMakeVisible (productLogo.get());
}

DownGLowBarComponent::~DownGLowBarComponent() = default;

void DownGLowBarComponent::paint (juce::Graphics& g)
{
    drawStretched (*glowPicture, g, *this);
}

void DownGLowBarComponent::resized()
{
    const auto wf = static_cast<float> (getWidth());
    const auto hf = static_cast<float> (getHeight());

    // The logo is as tall as its proportions give for 15 % of the bar, but drawn 1.5 times as
    // wide; its height follows the bar's width alone, and the bar clips what overhangs.
    const auto logoWidth = static_cast<float> (static_cast<double> (wf) * 0.15);
    const auto ratio = static_cast<float> (logoShapePicture->getHeight()) / static_cast<float> (logoShapePicture->getWidth());

    productLogo->setBounds (static_cast<int> (wf * 0.66f),
                            static_cast<int> (static_cast<double> (hf) * 0.03),
                            static_cast<int> (static_cast<double> (logoWidth) * 1.5),
                            static_cast<int> (ratio * logoWidth));
}
