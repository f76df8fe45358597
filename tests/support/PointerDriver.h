#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace echovane::testing
{
/** Moves a pointer over a component tree the way JUCE's mouse dispatch does: the component
    under the pointer is found by JUCE's own hit test (visibility and click interception
    included); it gets mouseEnter and the previous one mouseExit; a press goes to the component
    under the pointer, and the release to that same component, at the release position relative
    to it, wherever that is. */
class PointerDriver final
{
public:
    explicit PointerDriver (juce::Component& rootComponent)
        : root (rootComponent)
    {
    }

    juce::Component* componentAt (juce::Point<int> position) const { return root.getComponentAt (position); }

    void moveTo (juce::Point<int> position)
    {
        auto* target = componentAt (position);

        if (target != underPointer.getComponent())
        {
            if (auto* previous = underPointer.getComponent())
                previous->mouseExit (eventFor (*previous, position, {}));

            underPointer = target;

            if (target != nullptr)
                target->mouseEnter (eventFor (*target, position, {}));
        }
    }

    void press (juce::Point<int> position)
    {
        moveTo (position);
        pressed = underPointer;

        if (auto* target = pressed.getComponent())
            target->mouseDown (eventFor (*target, position, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier)));
    }

    void release (juce::Point<int> position)
    {
        if (auto* target = pressed.getComponent())
            target->mouseUp (eventFor (*target, position, {}));

        pressed = nullptr;
        moveTo (position);
    }

    void click (juce::Point<int> position)
    {
        press (position);
        release (position);
    }

    /** Takes the pointer out of the tree. */
    void leave()
    {
        if (auto* previous = underPointer.getComponent())
            previous->mouseExit (eventFor (*previous, { -1, -1 }, {}));

        underPointer = nullptr;
    }

private:
    juce::MouseEvent eventFor (juce::Component& target, juce::Point<int> position, juce::ModifierKeys modifiers) const
    {
        const auto local = target.getLocalPoint (&root, position).toFloat();
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), local, modifiers, juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &target, &target, now, local, now, 1, false);
    }

    juce::Component& root;
    juce::Component::SafePointer<juce::Component> underPointer;
    juce::Component::SafePointer<juce::Component> pressed;
};
} // namespace echovane::testing
