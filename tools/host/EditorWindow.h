#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace echovane::host
{
/** A desktop window around a hosted editor, as a DAW shows a plug-in: the window follows the
    editor's size (the plug-in resizing its view) and the editor follows the window's (the user
    or a window manager resizing it). The editor stays owned by the caller. */
class EditorWindow final : public juce::DocumentWindow
{
public:
    EditorWindow (const juce::String& title, juce::Component& editor);
    ~EditorWindow() override;

    void closeButtonPressed() override;

    /** Called when the user asks the window to close. */
    std::function<void()> onCloseRequested;
};
} // namespace echovane::host
