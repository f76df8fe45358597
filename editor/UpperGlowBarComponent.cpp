#include "UpperGlowBarComponent.h"

#include "StretchedPicture.h"

#include <BinaryData.h>

GlowBarComponent::GlowBarComponent()
    : StretchedPictureComponent (BinaryData::glow_bar_top_png, BinaryData::glow_bar_top_pngSize)
{
}

KestrinLogoComponent::KestrinLogoComponent()
    : StretchedPictureComponent (BinaryData::maker_lettering_svg, BinaryData::maker_lettering_svgSize)
{
}

UpperGlowBarComponent::UpperGlowBarComponent()
{
    glowBar = std::make_unique<GlowBarComponent>();
    addAndMakeVisible (glowBar.get());

    kestrinLogo = std::make_unique<KestrinLogoComponent>();
    addAndMakeVisible (kestrinLogo.get());
}

UpperGlowBarComponent::~UpperGlowBarComponent() = default;

void UpperGlowBarComponent::paint (juce::Graphics&)
{
}

void UpperGlowBarComponent::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();
    const auto wf = static_cast<float> (w);

    glowBar->setBounds (0, 0, w, h);

    // The lettering fills the glow's first gap; 0.0831 is its view box's height over width.
    const auto letteringWidth = wf * 0.8666f + (-0.69f) * wf;
    kestrinLogo->setBounds (static_cast<int> (0.12f * wf),
                            static_cast<int> (static_cast<float> (h) * 0.36f),
                            static_cast<int> (letteringWidth),
                            static_cast<int> (letteringWidth * 0.0831f));
}
