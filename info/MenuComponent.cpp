#include "MenuComponent.h"

#include "WebAddresses.h"

MenuComponent::MenuComponent (PopuppWindowComponent* owner)
{
    websiteRow = std::make_unique<WebsiteComponent> (owner, WebAddresses::homePage, "Website", true);
    supportRow = std::make_unique<WebsiteComponent> (owner, WebAddresses::supportPage, "Support", true);
    manualRow = std::make_unique<WebsiteComponent> (owner, WebAddresses::userManual, "Manual", true);
    aboutRow = std::make_unique<WebsiteComponent> (owner, std::string(), "About", false);

    for (auto* row : { websiteRow.get(), supportRow.get(), manualRow.get(), aboutRow.get() })
        addAndMakeVisible (row);
}

MenuComponent::~MenuComponent() = default;

WebsiteComponent& MenuComponent::getRow (int index) const
{
    jassert (index >= 0 && index < numRows);

    switch (index)
    {
        case 0:
            return *websiteRow;
        case 1:
            return *supportRow;
        case 2:
            return *manualRow;
        default:
            return *aboutRow;
    }
}

void MenuComponent::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::ResizableWindow::backgroundColourId));
    g.setColour (juce::Colours::grey);
    g.drawRect (getLocalBounds().toFloat(), 1.0f);
}

void MenuComponent::resized()
{
    // Rows of a quarter of the menu each, in single precision; with the truncation the last
    // pixel row may stay the menu's own.
    const auto width = getWidth();
    const auto height = static_cast<float> (getHeight());
    const auto rowHeight = static_cast<int> (height * 0.25f);

    websiteRow->setBounds (0, 0, width, rowHeight);
    supportRow->setBounds (0, rowHeight, width, rowHeight);
    manualRow->setBounds (0, static_cast<int> ((height + height) * 0.25f), width, rowHeight);
    aboutRow->setBounds (0, static_cast<int> (height * 3.0f * 0.25f), width, rowHeight);
}
