#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Every way the plug-in's own code writes a parameter, in one place.

    - A user's edit (a knob's drag, a toggle's or the lever's click): beginGesture on the press,
      writeAndNotify for each change, endGesture on the release. The host groups what lies
      between into one undoable edit.
    - A write that is no edit in progress (a typed delay time, TRIPLET and DOTTED clearing each
      other, a restored size step): writeAndNotify alone, without a gesture.
    - A write nobody is to hear (the size changer's step, a restored state's values, the
      processor's own start values): writeQuietly.

    They take the base class because JUCE's parameter classes keep setValue private. */
namespace ParameterEdit
{
/** Opens a user's edit of the parameter. */
inline void beginGesture (juce::AudioProcessorParameter& parameter)
{
    parameter.beginChangeGesture();
}

/** Sets the normalised value, then tells the parameter's listeners (the host, through JUCE,
    among them) that same value. */
inline void writeAndNotify (juce::AudioProcessorParameter& parameter, float normalisedValue)
{
    parameter.setValue (normalisedValue);
    parameter.sendValueChangedMessageToListeners (normalisedValue);
}

/** Closes the edit that beginGesture opened. */
inline void endGesture (juce::AudioProcessorParameter& parameter)
{
    parameter.endChangeGesture();
}

/** Sets the normalised value and tells no listener, so the host hears nothing of it either. */
inline void writeQuietly (juce::AudioProcessorParameter& parameter, float normalisedValue)
{
    parameter.setValue (normalisedValue);
}
} // namespace ParameterEdit
