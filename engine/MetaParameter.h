#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** A host parameter that answers true to isMetaParameter; everything else is the JUCE class's. */
template<typename ParameterType>
class MetaParameter final : public ParameterType
{
public:
    using ParameterType::ParameterType;

    bool isMetaParameter() const override { return true; }
};

/** JUCE keeps getValue private in its parameter classes; the normalised value is read through the
    base. Writes go through ParameterEdit. */
inline juce::AudioProcessorParameter& asHostParameter (juce::AudioProcessorParameter* parameter)
{
    return *parameter;
}

using FloatParameter = MetaParameter<juce::AudioParameterFloat>;
using BoolParameter = MetaParameter<juce::AudioParameterBool>;
