#pragma once

#include "LastFiniteValues.h"
#include "MetaParameter.h"
#include "ParameterIndex.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DelayProcess;

class OvelanAudioProcessor final : public juce::AudioProcessor
{
public:
    OvelanAudioProcessor();
    ~OvelanAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void reset() override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    /** The engine as it stands, for tests and diagnostics. */
    const DelayProcess& getDelayProcess() const noexcept;

    /** How many state blocks have been applied so far. A restore sets the parameters without
        telling their listeners, so an open editor watches this to bring its controls to them;
        any thread may read it. */
    std::uint32_t getRestoreCount() const noexcept { return restoreCount.load (std::memory_order_acquire); }

    // Handed to the editor's controls; the parameters themselves belong to juce::AudioProcessor.
    std::vector<FloatParameter*>* floatParameters = nullptr;
    std::vector<BoolParameter*>* boolParameters = nullptr;
    std::unique_ptr<juce::AudioParameterFloat> sizeChanger;

private:
    bool bypassCleared = false;
    std::unique_ptr<DelayProcess> delayProcess;
    std::vector<std::string> parameterNames;
    double preparedSampleRate = 0.0;
    double preparedBlockSize = 0.0;
    std::unique_ptr<LastFiniteValues> lastFiniteValues;
    std::atomic<std::uint32_t> restoreCount{ 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OvelanAudioProcessor)
};
