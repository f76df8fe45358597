#include "EditorLayoutTwin.h"

#include "ComponentState.h"
#include "support/EditorProbe.h"

namespace echovane::testing
{
namespace
{
DelayRow& controlRowOf (const juce::Component& editor)
{
    auto* wrapper = findChild<DelayRowWrapper> (editor);
    jassert (wrapper != nullptr);
    return wrapper->getRow();
}

PopuppWindowComponent& infoHotspotOf (const juce::Component& editor)
{
    auto* hotspot = findChild<PopuppWindowComponent> (editor);
    jassert (hotspot != nullptr);
    return *hotspot;
}
} // namespace

EditorLayoutTwin::EditorLayoutTwin (const juce::MemoryBlock& componentState, juce::Point<int> size)
{
    if (componentState.getSize() > 0)
    {
        const auto ownState = echovane::host::withoutJuceTrailer (componentState);
        processor.setStateInformation (ownState.getData(), static_cast<int> (ownState.getSize()));
    }

    editor = openEditor (processor);
    jassert (editor != nullptr);
    setSize (size);
}

EditorLayoutTwin::~EditorLayoutTwin() = default;

void EditorLayoutTwin::setSize (juce::Point<int> size)
{
    editor->setSize (size.x, size.y);
}

juce::Rectangle<int> EditorLayoutTwin::inEditor (const juce::Component& component) const
{
    return editor->getLocalArea (&component, component.getLocalBounds());
}

void EditorLayoutTwin::click (juce::Point<int> point)
{
    clickAt (*editor, point);
}

juce::Point<int> EditorLayoutTwin::smallKnob (const juce::String& caption) const
{
    for (auto* child : controlRowOf (*editor).getChildren())
        if (auto* knob = dynamic_cast<BasicButtonWrapper*> (child))
            if (knob->getCaption().getLabel().getText() == caption)
                return inEditor (knob->getCompass()).getCentre();

    ADD_FAILURE() << "no small knob captioned " << caption;
    return {};
}

juce::Point<int> EditorLayoutTwin::tempoLever() const
{
    // Through the lever's own transform: the middle of the picture as it is tilted now.
    auto& lever = controlRowOf (*editor).getTempoButton().getLever();
    return editor->getLocalPoint (&lever, lever.getLocalBounds().getCentre());
}

juce::Point<int> EditorLayoutTwin::timeReadOut() const
{
    return inEditor (*controlRowOf (*editor).getTempoButton().tempoLabel).getCentre();
}

juce::Point<int> EditorLayoutTwin::tripletToggle() const
{
    return inEditor (controlRowOf (*editor).getTripletButton()).getCentre();
}

juce::Point<int> EditorLayoutTwin::dottedToggle() const
{
    return inEditor (controlRowOf (*editor).getDottedButton()).getCentre();
}

juce::Point<int> EditorLayoutTwin::bypassToggle() const
{
    return inEditor (controlRowOf (*editor).getBypassButton()).getCentre();
}

juce::Point<int> EditorLayoutTwin::sizeChanger() const
{
    auto* plate = findChild<WindowSizeChangerComponent> (*editor);
    jassert (plate != nullptr);
    return inEditor (*plate).getCentre();
}

juce::Point<int> EditorLayoutTwin::infoHotspot() const
{
    return inEditor (infoHotspotOf (*editor)).getCentre();
}

juce::Point<int> EditorLayoutTwin::middle() const
{
    return editor->getLocalBounds().getCentre();
}

void EditorLayoutTwin::clickTempoLever()
{
    click (tempoLever());
}

void EditorLayoutTwin::openInfoMenuAt (juce::Point<int> point)
{
    click (point);
}

juce::Rectangle<int> EditorLayoutTwin::infoMenuRow (int index) const
{
    return inEditor (infoHotspotOf (*editor).getMenu().getRow (index));
}

juce::Colour EditorLayoutTwin::infoMenuFill() const
{
    return infoHotspotOf (*editor).getMenu().findColour (juce::ResizableWindow::backgroundColourId);
}

void EditorLayoutTwin::clickAboutRow()
{
    click (infoMenuRow (MenuComponent::numRows - 1).getCentre());
}

juce::Rectangle<int> EditorLayoutTwin::aboutPanel() const
{
    return inEditor (infoHotspotOf (*editor).getAboutPanel());
}

juce::Rectangle<int> EditorLayoutTwin::aboutText() const
{
    return inEditor (infoHotspotOf (*editor).getAboutPanel().getAboutLabel());
}
} // namespace echovane::testing
