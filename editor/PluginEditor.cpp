#include "PluginEditor.h"

OvelanAudioProcessorEditor::OvelanAudioProcessorEditor (OvelanAudioProcessor& p)
    : juce::AudioProcessorEditor (p)
    , processorRef (p)
{
    setResizable (true, false);
    setSize (1000, 480);
}

OvelanAudioProcessorEditor::~OvelanAudioProcessorEditor() = default;

void OvelanAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0x5e000000));
}

void OvelanAudioProcessorEditor::resized()
{
}
