#pragma once

#include "../engine/PluginProcessor.h"

class OvelanAudioProcessorEditor final : public juce::AudioProcessorEditor
{
public:
    explicit OvelanAudioProcessorEditor (OvelanAudioProcessor& p);
    ~OvelanAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    OvelanAudioProcessor& processorRef;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OvelanAudioProcessorEditor)
};
