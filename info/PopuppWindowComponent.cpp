#include "PopuppWindowComponent.h"

PopuppWindowComponent::PopuppWindowComponent (juce::Component* editorComponent, const std::string& version, float initialPanelWidth, float initialPanelHeight)
    : editor (editorComponent)
    , panelWidth (initialPanelWidth)
    , panelHeight (initialPanelHeight)
{
    aboutPanel = std::make_unique<AboutProgramComponent> (version);
    fakeWindow = std::make_unique<FakeWindowComponent> (this);
    menu = std::make_unique<MenuComponent> (this);

    // Back to front; every flag is still false, so the first layout hides all three.
    editor->addAndMakeVisible (aboutPanel.get());
    editor->addAndMakeVisible (fakeWindow.get());
    editor->addAndMakeVisible (menu.get());
}

PopuppWindowComponent::~PopuppWindowComponent()
{
    aboutPanel.reset();
    fakeWindow.reset();
    menu.reset();
}

void PopuppWindowComponent::mouseEnter (const juce::MouseEvent&)
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
}

void PopuppWindowComponent::mouseUp (const juce::MouseEvent& event)
{
    menu->isShown = true;
    fakeWindow->isShown = true;

    // Wherever the button was released, even outside the hotspot.
    const auto inEditor = event.getEventRelativeTo (editor);
    menuX = static_cast<float> (inEditor.x);
    menuY = static_cast<float> (inEditor.y);

    resized();
}

void PopuppWindowComponent::paint (juce::Graphics&)
{
}

void PopuppWindowComponent::resized()
{
    panelWidth = static_cast<float> (editor->getWidth());
    panelHeight = static_cast<float> (editor->getHeight());

    // Centred, 60 % of the editor's width, in the proportions 590 : 385.
    const auto aboutWidth = 0.6f * panelWidth;
    const auto aboutHeight = 385.0f * aboutWidth / 590.0f;
    aboutPanel->setBounds (static_cast<int> ((panelWidth - aboutWidth) * 0.5f),
                           static_cast<int> ((panelHeight - aboutHeight) * 0.5f),
                           static_cast<int> (aboutWidth),
                           static_cast<int> (aboutHeight));
    aboutPanel->setVisible (aboutPanel->isShown);

    fakeWindow->setBounds (0, 0, static_cast<int> (panelWidth), static_cast<int> (panelHeight));
    fakeWindow->setVisible (fakeWindow->isShown);

    // The stored click point stays where it is; the size follows the hotspot's.
    menu->setBounds (static_cast<int> (menuX),
                     static_cast<int> (menuY),
                     static_cast<int> (getWidth() * 0.5),
                     static_cast<int> (getHeight() * 1.4 * 4.0));
    menu->setVisible (menu->isShown);
}

void PopuppWindowComponent::parentSizeChanged()
{
    resized();
}
