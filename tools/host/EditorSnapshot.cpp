#include "EditorSnapshot.h"

#include "ComponentState.h"
#include "OwnedEditor.h"

#include "engine/PluginProcessor.h"

namespace juce
{
// JUCE's own step of its message loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace echovane::host
{
namespace
{
/** Runs the message loop for a while, so the editor's timers run as they would in a window
    that has just opened: the time read-out turns the TIME knob's first text into the note
    value on its first tick. */
void letSettle (int milliseconds)
{
    const auto until = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (milliseconds);

    while (juce::Time::getMillisecondCounter() < until)
        if (! juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (2);
}
} // namespace

juce::Image renderEditor (const juce::MemoryBlock& componentState, std::optional<juce::Point<int>> size)
{
    OvelanAudioProcessor processor;
    const auto ownState = withoutJuceTrailer (componentState);
    processor.setStateInformation (ownState.getData(), static_cast<int> (ownState.getSize()));

    OwnedEditor editor (processor.createEditorIfNeeded());

    if (editor == nullptr)
        return {};

    if (size.has_value())
        editor->setSize (size->x, size->y);

    if (editor->getWidth() <= 0 || editor->getHeight() <= 0)
        return {};

    letSettle (250);

    return editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
}
} // namespace echovane::host
