#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace echovane::testing
{
/** One press-drag-release of the left button, delivered the way JUCE's mouse source delivers it:
    the component that JUCE's hit test finds under the press gets mouseDown, every following
    drag and the release, in its own coordinates, with real event times. Positions are given in
    `root`'s coordinates. */
class MouseGesture final
{
public:
    MouseGesture (juce::Component& rootToUse, juce::Point<int> pressAt)
        : root (rootToUse)
        , target (root.getComponentAt (pressAt))
        , downPosition (pressAt)
        , lastPosition (pressAt)
        , downTime (juce::Time::getCurrentTime())
    {
        if (target == nullptr)
            ADD_FAILURE() << "nothing under " << pressAt.toString();
        else
            target->mouseDown (eventAt (pressAt, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), false));
    }

    ~MouseGesture()
    {
        if (! released)
            release();
    }

    void dragTo (juce::Point<int> position)
    {
        lastPosition = position;

        if (target != nullptr)
            target->mouseDrag (eventAt (position, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), true));
    }

    /** Drags in steps of `step` pixels from where the pointer is to `offset` away from it. */
    void dragBy (juce::Point<int> offset, int step = 1)
    {
        const auto from = lastPosition;
        const auto steps = juce::jmax (1, juce::jmax (std::abs (offset.x), std::abs (offset.y)) / juce::jmax (1, step));

        for (int i = 1; i <= steps; ++i)
            dragTo (from + juce::Point<int> (offset.x * i / steps, offset.y * i / steps));
    }

    void release()
    {
        released = true;

        if (target != nullptr)
            target->mouseUp (eventAt (lastPosition, juce::ModifierKeys(), lastPosition != downPosition));
    }

    juce::Component* getTarget() const noexcept { return target; }

private:
    juce::MouseEvent eventAt (juce::Point<int> position, juce::ModifierKeys modifiers, bool dragged) const
    {
        auto source = juce::Desktop::getInstance().getMainMouseSource();
        const auto local = target->getLocalPoint (&root, position).toFloat();
        const auto downLocal = target->getLocalPoint (&root, downPosition).toFloat();
        return juce::MouseEvent (source, local, modifiers, juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, target, target, juce::Time::getCurrentTime(), downLocal, downTime, 1, dragged);
    }

    juce::Component& root;
    juce::Component* target = nullptr;
    juce::Point<int> downPosition, lastPosition;
    juce::Time downTime;
    bool released = false;
};
} // namespace echovane::testing
