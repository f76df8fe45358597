#pragma once

#include "AllParametersListener.h"
#include "editor/PluginEditor.h"
#include "tools/host/OwnedEditor.h"

#include <gtest/gtest.h>

#include <memory>

namespace echovane::testing
{
/** The first direct child of `parent` of type T, or nullptr. */
template<typename T>
T* findChild (const juce::Component& parent)
{
    for (auto* child : parent.getChildren())
        if (auto* typed = dynamic_cast<T*> (child))
            return typed;

    return nullptr;
}

/** The first component of type T anywhere below `parent`, depth first. */
template<typename T>
T* findDescendant (const juce::Component& parent)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* typed = dynamic_cast<T*> (child))
            return typed;

        if (auto* deeper = findDescendant<T> (*child))
            return deeper;
    }

    return nullptr;
}

/** An editor built and shown the way the host's wrapper does it: createEditorIfNeeded, then
    made visible (hit tests only find visible components); closed as the wrapper closes it. */
inline echovane::host::OwnedEditor openEditor (OvelanAudioProcessor& processor)
{
    echovane::host::OwnedEditor editor (processor.createEditorIfNeeded());

    if (editor != nullptr)
        editor->setVisible (true);

    return editor;
}

/** A left click at `position` in `root`'s coordinates: the component JUCE's hit test finds
    there gets mouseDown and then mouseUp, as a peer would deliver them. */
inline void clickAt (juce::Component& root, juce::Point<int> position)
{
    auto* target = root.getComponentAt (position);
    ASSERT_NE (target, nullptr) << "nothing under " << position.toString();

    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto local = target->getLocalPoint (&root, position).toFloat();
    const auto now = juce::Time::getCurrentTime();
    const auto event = [&] (juce::ModifierKeys modifiers)
    {
        return juce::MouseEvent (source, local, modifiers, juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, target, target, now, local, now, 1, false);
    };

    target->mouseDown (event (juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier)));
    target->mouseUp (event (juce::ModifierKeys()));
}

/** Clicks the middle of the editor's size changer, wherever the layout has put it. */
inline void clickSizeChanger (juce::Component& editor)
{
    auto* sizeChanger = findChild<WindowSizeChangerComponent> (editor);
    ASSERT_NE (sizeChanger, nullptr);
    clickAt (editor, sizeChanger->getBounds().getCentre());
}

/** Counts every notification a parameter sends: value changes and gesture starts and ends. */
class ParameterWatch final : private AllParametersListener
{
public:
    explicit ParameterWatch (OvelanAudioProcessor& processorToWatch)
        : AllParametersListener (processorToWatch)
        , processor (processorToWatch)
    {
        // The hidden size parameter is no host parameter, but the watch hears it too.
        processor.sizeChanger->addListener (this);
    }

    ~ParameterWatch() override { processor.sizeChanger->removeListener (this); }

    int valueChanges = 0;
    int gestures = 0;

private:
    void parameterValueChanged (int, float) override { ++valueChanges; }
    void parameterGestureChanged (int, bool) override { ++gestures; }

    OvelanAudioProcessor& processor;
};
} // namespace echovane::testing
