#pragma once

#include "StretchedPicture.h"

#include <memory>

/** The top glow picture, stretched into its bounds. */
class GlowBarComponent final : public StretchedPictureComponent
{
public:
    GlowBarComponent();
};

/** The maker's name as one line of lettering, stretched into its bounds. */
class KestrinLogoComponent final : public StretchedPictureComponent
{
public:
    KestrinLogoComponent();
};

/** The glow along the top edge of the editor with the maker lettering in its first gap. It draws
    nothing itself: the glow is its first child, the lettering lies above it. */
class UpperGlowBarComponent final : public juce::Component
{
public:
    UpperGlowBarComponent();
    ~UpperGlowBarComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    const juce::Component& getGlowBar() const { return *glowBar; }
    const juce::Component& getMakerLettering() const { return *kestrinLogo; }

private:
    std::unique_ptr<GlowBarComponent> glowBar;
    std::unique_ptr<KestrinLogoComponent> kestrinLogo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpperGlowBarComponent)
};
