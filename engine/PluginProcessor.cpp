#include "PluginProcessor.h"

#include "../editor/PluginEditor.h"
#include "DelayNative.h"
#include "ParameterEdit.h"
#include "ParameterMeaning.h"
#include "StateTextGuard.h"

#include <ProductFacts.h>

#include <cmath>

namespace
{
constexpr const char* stateTag = "Delay";
constexpr const char* sizeChangerAttribute = "sizechanger";
} // namespace

OvelanAudioProcessor::OvelanAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), false)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), false))
{
    floatParameters = new std::vector<FloatParameter*>();

    for (const auto& spec : ParameterIndex::floatSpecs)
        parameterNames.emplace_back (spec.id);

    for (size_t i = 0; i < parameterNames.size(); ++i)
    {
        const juce::String id (parameterNames[i]);
        const auto& spec = ParameterIndex::floatSpecs[i];
        auto* parameter = new FloatParameter (id, id, juce::NormalisableRange<float> (0.0f, 1.0f, spec.interval), spec.defaultValue);
        addParameter (parameter);
        floatParameters->push_back (parameter);
    }

    boolParameters = new std::vector<BoolParameter*>();

    for (const auto idView : ParameterIndex::boolIds)
    {
        const juce::String id (idView.data(), idView.size());
        auto* parameter = new BoolParameter (id, id, false);
        addParameter (parameter);
        boolParameters->push_back (parameter);
    }

    delayProcess = std::make_unique<DelayProcess> (floatParameters, boolParameters);
    bypassCleared = false;
    lastFiniteValues = std::make_unique<LastFiniteValues> (*floatParameters, *boolParameters);

    sizeChanger = std::make_unique<juce::AudioParameterFloat> ("SIZE_CHANGER",
                                                               "size changer",
                                                               juce::NormalisableRange<float> (0.0f, 2.0f, 0.01f),
                                                               0.5f);
    ParameterEdit::writeQuietly (*sizeChanger, 0.5f);
}

OvelanAudioProcessor::~OvelanAudioProcessor()
{
    // It stops listening through the two vectors, so it goes before them.
    lastFiniteValues.reset();

    delete floatParameters;
    floatParameters = nullptr;
    delete boolParameters;
    boolParameters = nullptr;

    parameterNames.clear();
    delayProcess.reset();
    sizeChanger.reset();
}

const juce::String OvelanAudioProcessor::getName() const
{
    return ProductFacts::name;
}

void OvelanAudioProcessor::releaseResources()
{
}

void OvelanAudioProcessor::reset()
{
    // Hosts call this when they stop processing and between files: the echoes of what came
    // before must not sound in what comes next. The controls' smoothing and the mixer's ramps
    // carry on, so a reset around a preparation changes no sample.
    delayProcess->reset();
}

bool OvelanAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    // The engine works on exactly one stereo pair; a disabled pair (the buses' starting state)
    // is accepted so that hosts can activate them.
    const auto& input = layouts.getMainInputChannelSet();
    const auto& output = layouts.getMainOutputChannelSet();

    if (input.isDisabled() && output.isDisabled())
        return true;

    return input == juce::AudioChannelSet::stereo() && output == juce::AudioChannelSet::stereo();
}

double OvelanAudioProcessor::getTailLengthSeconds() const
{
    return 0.0;
}

bool OvelanAudioProcessor::acceptsMidi() const
{
    return false;
}

bool OvelanAudioProcessor::producesMidi() const
{
    return false;
}

bool OvelanAudioProcessor::isMidiEffect() const
{
    return false;
}

juce::AudioProcessorEditor* OvelanAudioProcessor::createEditor()
{
    return new OvelanAudioProcessorEditor (*this);
}

bool OvelanAudioProcessor::hasEditor() const
{
    return true;
}

int OvelanAudioProcessor::getNumPrograms()
{
    return 1;
}

int OvelanAudioProcessor::getCurrentProgram()
{
    return 0;
}

void OvelanAudioProcessor::setCurrentProgram (int)
{
}

const juce::String OvelanAudioProcessor::getProgramName (int)
{
    return {};
}

void OvelanAudioProcessor::changeProgramName (int, const juce::String&)
{
}

void OvelanAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement state (stateTag);

    // A value a host left as NaN is saved as the engine goes on using it: its last finite one.
    for (size_t i = 0; i < parameterNames.size(); ++i)
    {
        const auto value = lastFiniteValues->valueOf (floatParameters->at (i)->getParameterIndex());
        state.setAttribute (juce::String (parameterNames[i]), static_cast<double> (value));
    }

    // A bool is saved as what it means to the engine, so that any value from 0.5 up comes back
    // on; 0 and 1 are saved as they always were.
    for (auto* parameter : *boolParameters)
    {
        const auto on = ParameterMeaning::isOn (lastFiniteValues->valueOf (parameter->getParameterIndex()));
        state.setAttribute (parameter->getParameterID(), on ? 1.0 : 0.0);
    }

    state.setAttribute (sizeChangerAttribute, static_cast<double> (sizeChanger->get()));

    copyXmlToBinary (state, destData);
}

void OvelanAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // A damaged block changes nothing; StateTextGuard says which blocks are damaged.
    const auto state = StateTextGuard::readBlock (data, sizeInBytes);

    if (! state.has_value())
        return;

    // Any case of the tag is accepted, as JUCE's hasTagName has always accepted it.
    if (state->hasTagIgnoringCase (stateTag))
    {
        for (size_t i = 0; i < parameterNames.size(); ++i)
            if (const auto value = StateTextGuard::readStoredNumber (*state, parameterNames[i]))
                ParameterEdit::writeQuietly (*floatParameters->at (i), *value);

        for (auto* parameter : *boolParameters)
        {
            const auto text = state->attribute (parameter->getParameterID().toStdString());
            ParameterEdit::writeQuietly (*parameter, text.has_value() && StateTextGuard::readsAsOn (*text) ? 1.0f : 0.0f);
        }
    }

    if (const auto step = StateTextGuard::readStoredNumber (*state, sizeChangerAttribute))
    {
        if (*step != sizeChanger->get())
        {
            ParameterEdit::writeAndNotify (*sizeChanger, sizeChanger->convertTo0to1 (*step));
        }
    }

    lastFiniteValues->refresh();
    restoreCount.fetch_add (1, std::memory_order_acq_rel);
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new OvelanAudioProcessor();
}

namespace
{
/** A rate that is not finite or not positive counts as 0, "no rate", so that comparisons with
    it settle and the engine passes audio through. */
double usableRate (double sampleRate) noexcept
{
    return std::isfinite (sampleRate) && sampleRate > 0.0 ? sampleRate : 0.0;
}
} // namespace

void OvelanAudioProcessor::prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock)
{
    sampleRate = usableRate (sampleRate);
    const auto blockLength = juce::jmax (0, maximumExpectedSamplesPerBlock);

    try
    {
        delayProcess->prepare (sampleRate, blockLength);
    }
    catch (...)
    {
        // Whatever could not be had leaves the engine unprepared: audio passes through.
    }

    preparedBlockSize = blockLength;

    if (preparedSampleRate == sampleRate)
        return;

    // Stored before the measurement, so that the measured block does not prepare again.
    preparedSampleRate = sampleRate;

    try
    {
        // One silent block at every new rate: it moves the smoothing and the mixer's ramps on,
        // and every later sample depends on that.
        juce::AudioBuffer<float> silence (getTotalNumInputChannels(), blockLength);
        silence.clear();
        juce::MidiBuffer midi;
        processBlock (silence, midi);
    }
    catch (...)
    {
        // Without the silent block the engine simply starts from where it stands.
    }

    // The output is never later than the input, whatever the block took: a host that moved the
    // track by the block's duration would put it out of time.
    setLatencySamples (0);
}

const DelayProcess& OvelanAudioProcessor::getDelayProcess() const noexcept
{
    return *delayProcess;
}

void OvelanAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const juce::ScopedNoDenormals noDenormals;
    const auto numSamples = buffer.getNumSamples();
    const auto sampleRate = usableRate (getSampleRate());

    if (preparedSampleRate != sampleRate || preparedBlockSize != static_cast<double> (numSamples))
        prepareToPlay (sampleRate, numSamples);

    auto& engine = *delayProcess;

    if (buffer.getNumChannels() < 2 || ! engine.isReady())
        return;

    if (engine.isBypassed())
    {
        if (! bypassCleared)
        {
            engine.clearLine();
            bypassCleared = true;
        }

        return;
    }

    bypassCleared = false;
    engine.readTempo (getPlayHead());

    // Output channels without an input are cleared; only the first pair is the engine's.
    for (auto channel = getTotalNumInputChannels(); channel < juce::jmin (2, getTotalNumOutputChannels()); ++channel)
        buffer.clear (channel, 0, numSamples);

    engine.process (buffer.getWritePointer (0), buffer.getWritePointer (1), numSamples);
}
