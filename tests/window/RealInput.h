#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace echovane::testing
{
/** A person at the virtual display: real pointer and key events through the X server (xdotool
    sends them with XTest), and what the screen shows read back from the server. Every call runs
    the test's message loop while it waits, so an editor in this very process keeps answering.
    A window is named by its X id, as text. Points are in the window's coordinates. */
namespace realInput
{
/** Runs xdotool with these arguments to its end; false when it could not run or failed. */
bool xdotool (const juce::StringArray& arguments);

bool click (const juce::String& window, juce::Point<int> point);

/** Presses at `from`, moves `pixelsUp` single pixels up and lets go. */
bool dragUp (const juce::String& window, juce::Point<int> from, int pixelsUp);

/** Types `text` into whatever has the keyboard focus, then nothing else. */
bool type (const juce::String& text);

/** Presses and releases one key by its X name ("Return"). */
bool key (const juce::String& keyName);

/** Lets `milliseconds` pass with the message loop running. */
void pause (int milliseconds);

/** The X id of the first visible window titled exactly `title`, waiting up to a minute for it;
    empty when none came. */
juce::String findWindow (const juce::String& title);

/** The window's size as the X server has it. */
juce::Point<int> windowSize (const juce::String& window);

/** The sizes of every X window inside `window` (the plug-in's own view among them) bigger than
    JUCE's 1 x 1 helper window. */
juce::Array<juce::Point<int>> embeddedWindowSizes (const juce::String& window);

/** The window's pixels as the X server shows them; invalid when they could not be read. */
juce::Image capture (const juce::String& window);
} // namespace realInput
} // namespace echovane::testing
