#pragma once

#include "AboutProgramComponent.h"
#include "FakeWindowComponent.h"
#include "MenuComponent.h"

#include <memory>
#include <string>

/** The invisible info hotspot over the maker lettering. A click on it opens the four-row menu at
    the release point; the menu, the click-catcher and the About panel belong to the hotspot but
    are children of the editor, and each is shown exactly when its `isShown` flag was set at the
    hotspot's last layout. */
class PopuppWindowComponent final : public juce::Component
{
public:
    /** `editorComponent` becomes the parent of the three panels; `version` is the text the About
        panel shows; the panel size is the editor's until its first layout. */
    PopuppWindowComponent (juce::Component* editorComponent, const std::string& version, float initialPanelWidth, float initialPanelHeight);

    /** Deletes the About panel, the click-catcher and the menu, in that order. */
    ~PopuppWindowComponent() override;

    void mouseEnter (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;

    /** Places the three panels in the editor and applies their flags; the handlers call it
        after every change of a flag. */
    void resized() override;

    /** The panels cover and centre in the whole editor, so they follow every change of its size,
        also one that leaves the hotspot's own size as it was. */
    void parentSizeChanged() override;

    MenuComponent& getMenu() const { return *menu; }
    FakeWindowComponent& getFakeWindow() const { return *fakeWindow; }
    AboutProgramComponent& getAboutPanel() const { return *aboutPanel; }

private:
    std::unique_ptr<MenuComponent> menu;
    std::unique_ptr<FakeWindowComponent> fakeWindow;
    std::unique_ptr<AboutProgramComponent> aboutPanel;
    juce::Component* editor = nullptr;
    float menuX = 0.0f;
    float menuY = 0.0f;
    float panelWidth = 0.0f;
    float panelHeight = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PopuppWindowComponent)
};
