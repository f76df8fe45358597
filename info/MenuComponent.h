#pragma once

#include "WebsiteComponent.h"

#include <memory>

/** The info menu: four rows, "Website", "Support", "Manual" and "About", on JUCE's window
    background with a grey outline. */
class MenuComponent final : public juce::Component
{
public:
    explicit MenuComponent (PopuppWindowComponent* owner);
    ~MenuComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Whether the hotspot's next layout shows the menu. */
    bool isShown = false;

    /** The rows from top to bottom. */
    WebsiteComponent& getRow (int index) const;
    static constexpr int numRows = 4;

private:
    std::unique_ptr<WebsiteComponent> websiteRow;
    std::unique_ptr<WebsiteComponent> supportRow;
    std::unique_ptr<WebsiteComponent> manualRow;
    std::unique_ptr<WebsiteComponent> aboutRow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuComponent)
};
