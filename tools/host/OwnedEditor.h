#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace echovane::host
{
/** Closes an editor the way a host's plug-in wrapper does: the processor lets go of it first,
    then it is deleted. */
struct EditorCloser
{
    void operator() (juce::AudioProcessorEditor* editor) const
    {
        if (editor == nullptr)
            return;

        editor->processor.editorBeingDeleted (editor);
        delete editor;
    }
};

/** An editor from createEditorIfNeeded, owned until it is closed. */
using OwnedEditor = std::unique_ptr<juce::AudioProcessorEditor, EditorCloser>;
} // namespace echovane::host
