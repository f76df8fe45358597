#include "EditorSnapshot.h"

#include "ComponentState.h"
#include "OwnedEditor.h"

#include "engine/PluginProcessor.h"

namespace echovane::host
{
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

    return editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
}
} // namespace echovane::host
