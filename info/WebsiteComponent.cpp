#include "WebsiteComponent.h"

#include "../editor/UpperKnobDataBar.h"
#include "PopuppWindowComponent.h"

WebsiteComponent::WebsiteComponent (PopuppWindowComponent* owner, std::string address, std::string text, bool opensLink)
    : url (std::move (address))
    , caption (std::move (text))
    , captionLabel ({}, {})
    , popup (owner)
{
    isHovered = false;
    isLink = opensLink;

    captionLabel.setJustificationType (juce::Justification::centred);
    captionLabel.setText (juce::String (caption), juce::dontSendNotification);
    // Light grey: grey brightened twice.
    captionLabel.setColour (juce::Label::textColourId, juce::Colours::grey.brighter().brighter());
    // The label covers the whole row; the pointer goes through it to the row.
    captionLabel.setInterceptsMouseClicks (false, false);
    addAndMakeVisible (captionLabel);
}

WebsiteComponent::~WebsiteComponent() = default;

void WebsiteComponent::mouseEnter (const juce::MouseEvent&)
{
    isHovered = true;
    repaint();
}

void WebsiteComponent::mouseExit (const juce::MouseEvent&)
{
    isHovered = false;
    repaint();
}

void WebsiteComponent::mouseDown (const juce::MouseEvent&)
{
    auto& menu = popup->getMenu();

    if (isLink)
    {
        popup->getFakeWindow().isShown = false;
        // A page that cannot be opened is not reported: the menu closes all the same.
        juce::URL (juce::String (url)).launchInDefaultBrowser();
        menu.isShown = false;
    }
    else
    {
        popup->getAboutPanel().isShown = true;
        popup->getFakeWindow().isShown = true;
        menu.isShown = false;
    }

    popup->resized();
}

void WebsiteComponent::paint (juce::Graphics& g)
{
    const auto background = findColour (juce::ResizableWindow::backgroundColourId);

    g.fillAll (isHovered ? background.darker (0.4f) : background);
    g.setColour (isHovered ? juce::Colours::darkgrey : juce::Colours::grey);
    g.drawRect (getLocalBounds().toFloat(), 1.0f);
}

void WebsiteComponent::resized()
{
    auto font = UpperKnobDataBar::getFont();
    font.setHeight (static_cast<float> (static_cast<double> (getHeight()) * 0.8));
    captionLabel.setFont (font);
    captionLabel.setBounds (getLocalBounds());
}
