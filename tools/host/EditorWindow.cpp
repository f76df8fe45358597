#include "EditorWindow.h"

namespace echovane::host
{
EditorWindow::EditorWindow (const juce::String& title, juce::Component& editor)
    : juce::DocumentWindow (title, juce::Colours::black, juce::DocumentWindow::closeButton)
{
    setUsingNativeTitleBar (true);
    setContentNonOwned (&editor, true);
    setResizable (true, false);
    setTopLeftPosition (0, 0);
    setVisible (true);
}

EditorWindow::~EditorWindow()
{
    clearContentComponent();
}

void EditorWindow::closeButtonPressed()
{
    if (onCloseRequested != nullptr)
        onCloseRequested();
}
} // namespace echovane::host
