#pragma once

#include "engine/PluginProcessor.h"
#include "tools/host/OwnedEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace echovane::testing
{
/** Where the plug-in's editor has put its controls, for pointing at them in a real window. The
    editor in the window lives inside the bundle, out of the test's reach; this builds the same
    editor from the same sources (the host kit compiles them in), on the same state and at the
    same size, and reads each place off its components. So every click point comes from the
    layout code itself, transforms (the tilted lever) and all, and follows it when it changes.

    Points are in the editor's coordinates, which are the window's: the editor fills its window.
    Steps that change the layout (the info menu opening where it was clicked, the About panel,
    the lever's tilt) are played on the twin too, by the same clicks; only those, so the twin
    never opens a page or writes anything the test reads. */
class EditorLayoutTwin final
{
public:
    /** `componentState` is the bundle's component state (JUCE's trailer included), or empty
        for a fresh instance. */
    EditorLayoutTwin (const juce::MemoryBlock& componentState, juce::Point<int> size);
    ~EditorLayoutTwin();

    EditorLayoutTwin (const EditorLayoutTwin&) = delete;
    EditorLayoutTwin& operator= (const EditorLayoutTwin&) = delete;

    void setSize (juce::Point<int> size);

    /** The plug-in's name, which its window is titled with. */
    juce::String pluginName() const { return processor.getName(); }

    /** The middle of the knob (not its caption) of the small knob captioned `caption`. */
    juce::Point<int> smallKnob (const juce::String& caption) const;
    juce::Point<int> tempoLever() const;
    juce::Point<int> timeReadOut() const;
    juce::Point<int> tripletToggle() const;
    juce::Point<int> dottedToggle() const;
    juce::Point<int> bypassToggle() const;
    juce::Point<int> sizeChanger() const;
    juce::Point<int> infoHotspot() const;
    juce::Point<int> middle() const;

    /** The lever flipped by a click on it, as the real one is. */
    void clickTempoLever();

    /** The info menu opened by a click at `point` on the hotspot, as the real one opens. */
    void openInfoMenuAt (juce::Point<int> point);

    /** The info menu's row `index` (0 Website, 1 Support, 2 Manual, 3 About), and the colour the
        menu fills itself with. */
    juce::Rectangle<int> infoMenuRow (int index) const;
    juce::Colour infoMenuFill() const;

    /** The About panel shown by a click on the menu's About row. */
    void clickAboutRow();
    juce::Rectangle<int> aboutPanel() const;
    juce::Rectangle<int> aboutText() const;

private:
    juce::Rectangle<int> inEditor (const juce::Component& component) const;
    void click (juce::Point<int> point);

    OvelanAudioProcessor processor;
    echovane::host::OwnedEditor editor;
};
} // namespace echovane::testing
