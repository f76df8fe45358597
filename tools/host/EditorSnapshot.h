#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace echovane::host
{
/** Draws the plug-in's editor with JUCE's software renderer, no display needed. A hosted VST3's
    editor only draws into a window, so this builds the same editor from the plug-in's own code
    compiled into this tool, on a processor restored from `componentState` (the bytes the bundle's
    component handed out, JUCE's trailer included). Without `size` the editor keeps the size it
    gives itself, which follows the stored size step. The picture is taken a quarter of a second
    after the editor was built, once its timers have run. */
juce::Image renderEditor (const juce::MemoryBlock& componentState, std::optional<juce::Point<int>> size);
} // namespace echovane::host
