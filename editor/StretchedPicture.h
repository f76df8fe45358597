#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Every picture of the editor fills its component whatever the aspect: stretched, opaque. */
inline void drawStretched (juce::Drawable& picture, juce::Graphics& g, const juce::Component& into)
{
    picture.drawWithin (g, juce::Rectangle<float> (0.0f, 0.0f, static_cast<float> (into.getWidth()), static_cast<float> (into.getHeight())), juce::RectanglePlacement::stretchToFit, 1.0f);
}
