#include "engine/PluginProcessor.h"
#include "support/StateBlocks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
using echovane::testing::binaryXmlBlock;
using echovane::testing::defaultStateText;
using echovane::testing::rawBlock;
using echovane::testing::stateBlockWithElement;

juce::AudioProcessorParameter& hostParameter (OvelanAudioProcessor& processor, int index)
{
    return *processor.getParameters()[index];
}

std::string stateText (OvelanAudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return std::string (static_cast<const char*> (block.getData()), block.getSize());
}

TEST (Processor, AnswersTheHostsQuestions)
{
    OvelanAudioProcessor processor;

    EXPECT_EQ (processor.getName(), "Kestrin Studio Echovane");
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getProgramName (0), "");

    processor.setCurrentProgram (5);
    processor.changeProgramName (0, "x");
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), "");

    EXPECT_EQ (processor.getBusCount (true), 1);
    EXPECT_EQ (processor.getBusCount (false), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getBus (true, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());
    EXPECT_FALSE (processor.getBus (true, 0)->isEnabledByDefault());
    EXPECT_FALSE (processor.getBus (false, 0)->isEnabledByDefault());
    EXPECT_FALSE (processor.supportsDoublePrecisionProcessing());
    EXPECT_EQ (processor.getBypassParameter(), nullptr);
}

TEST (Processor, AcceptsOnlyAStereoPair)
{
    OvelanAudioProcessor processor;
    const auto stereo = juce::AudioChannelSet::stereo();
    const auto mono = juce::AudioChannelSet::mono();

    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (stereo);
    layout.outputBuses.add (stereo);
    EXPECT_TRUE (processor.checkBusesLayoutSupported (layout));

    layout.inputBuses.set (0, mono);
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout));

    layout.inputBuses.set (0, stereo);
    layout.outputBuses.set (0, juce::AudioChannelSet::create5point1());
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout));
}

TEST (Processor, ParameterTablesMatchTheHostOrder)
{
    OvelanAudioProcessor processor;
    const char* floatIds[] = { "Mix", "Sync", "Feedback", "Balance", "Width", "Drive", "Dark", "Bright", "MS" };
    const float floatDefaults[] = { 0.5f, 0.6f, 0.22f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.1f };
    const char* boolIds[] = { "Bypass", "Triplet", "TempoChanger", "Dotted" };

    ASSERT_EQ (processor.floatParameters->size(), 9u);
    ASSERT_EQ (processor.boolParameters->size(), 4u);
    ASSERT_EQ (processor.getParameters().size(), 13);

    for (int i = 0; i < 9; ++i)
    {
        auto* parameter = processor.floatParameters->at (static_cast<size_t> (i));
        SCOPED_TRACE (floatIds[i]);
        EXPECT_EQ (parameter->getParameterID(), floatIds[i]);
        EXPECT_EQ (parameter->getName (100), floatIds[i]);
        EXPECT_EQ (parameter->getParameterIndex(), i);
        EXPECT_EQ (parameter->get(), floatDefaults[i]);
        EXPECT_TRUE (parameter->isMetaParameter());
        EXPECT_TRUE (parameter->isAutomatable());
        EXPECT_EQ (parameter->getLabel(), "");
        EXPECT_EQ (parameter->range.start, 0.0f);
        EXPECT_EQ (parameter->range.end, 1.0f);
        EXPECT_EQ (parameter->range.interval, i == 8 ? 0.0f : 0.01f);
    }

    for (int i = 0; i < 4; ++i)
    {
        auto* parameter = processor.boolParameters->at (static_cast<size_t> (i));
        SCOPED_TRACE (boolIds[i]);
        EXPECT_EQ (parameter->getParameterID(), boolIds[i]);
        EXPECT_EQ (parameter->getParameterIndex(), 9 + i);
        EXPECT_FALSE (parameter->get());
        EXPECT_TRUE (parameter->isMetaParameter());
    }

    EXPECT_EQ (processor.sizeChanger->getParameterID(), "SIZE_CHANGER");
    EXPECT_EQ (processor.sizeChanger->getName (100), "size changer");
    EXPECT_EQ (processor.sizeChanger->get(), 1.0f);
    EXPECT_EQ (asHostParameter (processor.sizeChanger.get()).getValue(), 0.5f);
    EXPECT_EQ (processor.sizeChanger->getParameterIndex(), -1);
}

TEST (Processor, ValuesSnapToEachParametersGrid)
{
    OvelanAudioProcessor processor;
    auto& mix = *processor.floatParameters->at (ParameterIndex::mix);
    auto& ms = *processor.floatParameters->at (ParameterIndex::ms);
    auto& triplet = *processor.boolParameters->at (ParameterIndex::triplet);

    asHostParameter (&mix).setValue (0.123f);
    asHostParameter (&ms).setValue (0.123f);
    asHostParameter (&triplet).setValue (0.7f);
    EXPECT_NEAR (mix.get(), 0.12f, 1.0e-7f);
    EXPECT_EQ (ms.get(), 0.123f);
    EXPECT_EQ (asHostParameter (&triplet).getValue(), 0.7f);
    EXPECT_TRUE (triplet.get());

    asHostParameter (&mix).setValue (7.0f);
    EXPECT_EQ (mix.get(), 1.0f);

    const std::pair<float, float> sizeSteps[] = { { 1.0f, 2.0f }, { 0.0f, 0.0f }, { 0.5f, 1.0f } };

    for (const auto& [normalised, plain] : sizeSteps)
    {
        asHostParameter (processor.sizeChanger.get()).setValue (normalised);
        EXPECT_EQ (processor.sizeChanger->get(), plain);
    }
}

TEST (Processor, ListenersHearTheHostIndex)
{
    struct IndexRecorder final : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged (int index, float value) override { heard.emplace_back (index, value); }
        void parameterGestureChanged (int, bool) override {}
        std::vector<std::pair<int, float>> heard;
    };

    OvelanAudioProcessor processor;
    IndexRecorder recorder;
    auto* tempoChanger = processor.boolParameters->at (ParameterIndex::tempoChanger);
    tempoChanger->addListener (&recorder);
    tempoChanger->setValueNotifyingHost (1.0f);
    tempoChanger->removeListener (&recorder);

    ASSERT_EQ (recorder.heard.size(), 1u);
    EXPECT_EQ (recorder.heard.front(), std::make_pair (11, 1.0f));
}

TEST (ProcessorState, NewProcessorWritesTheDefaultBlockExactly)
{
    OvelanAudioProcessor processor;
    const auto expected = binaryXmlBlock (defaultStateText);
    juce::MemoryBlock block ("stale bytes that must be replaced", 33);
    processor.getStateInformation (block);

    EXPECT_EQ (block, expected);
}

TEST (ProcessorState, RoundTripRestoresEverySnappedValue)
{
    OvelanAudioProcessor source;
    asHostParameter (source.boolParameters->at (ParameterIndex::triplet)).setValue (1.0f);
    asHostParameter (source.boolParameters->at (ParameterIndex::tempoChanger)).setValue (1.0f);
    asHostParameter (source.floatParameters->at (ParameterIndex::ms)).setValue (0.4321f);
    asHostParameter (source.sizeChanger.get()).setValue (1.0f);

    const auto text = stateText (source);
    EXPECT_NE (text.find ("Triplet=\"1.0\" TempoChanger=\"1.0\""), std::string::npos);
    EXPECT_NE (text.find ("sizechanger=\"2.0\""), std::string::npos);

    OvelanAudioProcessor restored;
    restored.setStateInformation (text.data(), static_cast<int> (text.size()));

    for (int i = 0; i < 13; ++i)
        EXPECT_EQ (hostParameter (restored, i).getValue(), hostParameter (source, i).getValue()) << "parameter " << i;

    EXPECT_EQ (restored.sizeChanger->get(), 2.0f);

    // The defaults come back as JUCE's grid gives them; "MS" has no grid and keeps its float.
    OvelanAudioProcessor defaults, fromDefaults;
    const auto defaultText = stateText (defaults);
    fromDefaults.setStateInformation (defaultText.data(), static_cast<int> (defaultText.size()));
    EXPECT_NEAR (fromDefaults.floatParameters->at (ParameterIndex::sync)->get(), 0.6f, 1.0e-7f);
    EXPECT_EQ (fromDefaults.floatParameters->at (ParameterIndex::ms)->get(), 0.1f);
    EXPECT_EQ (fromDefaults.sizeChanger->get(), 1.0f);
}

TEST (ProcessorState, SizeStepIsAnnouncedOnlyWhenItChanges)
{
    struct CountingListener final : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged (int, float) override { ++calls; }
        void parameterGestureChanged (int, bool) override {}
        int calls = 0;
    };

    OvelanAudioProcessor processor;
    CountingListener listener;
    processor.sizeChanger->addListener (&listener);

    const auto same = stateBlockWithElement ("<Delay sizechanger=\"1.0\"/>");
    processor.setStateInformation (same.getData(), static_cast<int> (same.getSize()));
    EXPECT_EQ (listener.calls, 0);

    const auto larger = stateBlockWithElement ("<Delay sizechanger=\"2.0\"/>");
    processor.setStateInformation (larger.getData(), static_cast<int> (larger.getSize()));
    EXPECT_EQ (listener.calls, 1);
    EXPECT_EQ (processor.sizeChanger->get(), 2.0f);

    processor.sizeChanger->removeListener (&listener);
}

// Random and mutated blocks straight into the processor: many more inputs than the bundle
// round trip allows, and no wrapper in between to filter them.
TEST (ProcessorState, RandomAndMutatedBlocksKeepEveryValueFiniteAndInRange)
{
    OvelanAudioProcessor processor;
    std::mt19937 random (20261210);
    const auto seed = binaryXmlBlock (defaultStateText);
    const std::string numberTexts[] = { "nan", "-nan", "inf", "-inf", "1e999", "-1e999", "NaN", "  7", "-0.5", "0x10", "",
                                        "1e99999999999", "2e-00000000000000000000000000001", "1E+0000044444444444" };
    const std::string names[] = { "Mix", "Sync", "Feedback", "Balance", "Width", "Drive", "Dark", "Bright", "MS", "Bypass", "sizechanger" };

    for (int round = 0; round < 50000; ++round)
    {
        juce::MemoryBlock block;

        switch (round % 4)
        {
            case 0: // noise, sometimes behind a valid header
            {
                block.setSize (random() % 96);
                for (size_t i = 0; i < block.getSize(); ++i)
                    block[i] = static_cast<char> (random());
                if (block.getSize() >= 8 && random() % 2 == 0)
                    block.copyFrom ("VC2!", 0, 4);
                break;
            }
            case 1: // byte flips of a valid block, the length field included
            {
                block = seed;
                for (int flips = 1 + static_cast<int> (random() % 6); flips > 0; --flips)
                    block[random() % block.getSize()] = static_cast<char> (random());
                break;
            }
            case 2: // a valid block cut short
            {
                block = seed;
                block.setSize (random() % seed.getSize());
                break;
            }
            default: // a well-formed element with hostile numbers
            {
                std::string element = "<Delay";
                for (const auto& name : names)
                    if (random() % 2 == 0)
                        element += " " + name + "=\"" + numberTexts[random() % std::size (numberTexts)] + "\"";
                block = stateBlockWithElement (element + "/>");
                break;
            }
        }

        processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

        for (auto* parameter : processor.getParameters())
        {
            const auto value = parameter->getValue();
            ASSERT_TRUE (std::isfinite (value) && value >= 0.0f && value <= 1.0f)
                << "parameter " << parameter->getParameterIndex() << " became " << value << " in round " << round;
        }

        const auto step = processor.sizeChanger->get();
        ASSERT_TRUE (std::isfinite (step) && step >= 0.0f && step <= 2.0f) << "size step " << step << " in round " << round;
    }
}
} // namespace
