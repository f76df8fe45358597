#include "EngineFixture.h"
#include "support/ConcurrencyTests.h"

#include <atomic>
#include <limits>
#include <random>
#include <thread>

namespace
{
using echovane::testing::ManualPlayHead;

// Random block lengths and rates on the audio side while another thread automates every
// parameter: the engine must neither crash nor, with finite input and feedback below 1, let
// anything but finite samples out.
CONCURRENCY_TEST (Stress, RandomBlocksRatesAndConcurrentAutomation)
{
    OvelanAudioProcessor processor;
    ManualPlayHead playHead;
    processor.enableAllBuses();
    processor.setPlayHead (&playHead);

    std::atomic<bool> running{ true };
    std::atomic<int> writes{ 0 };

    std::thread automation ([&]
                            {
                                std::mt19937 random (11);
                                std::uniform_real_distribution<float> unit (0.0f, 1.0f);
                                auto& floats = *processor.floatParameters;
                                auto& bools = *processor.boolParameters;

                                while (running.load())
                                {
                                    for (size_t i = 0; i < floats.size(); ++i)
                                        asHostParameter (floats[i]).setValue (i == ParameterIndex::feedback ? 0.97f * unit (random) : unit (random));

                                    // Bypass only now and then: each bypass period clears a line of up to 2 x 40 s.
                                    asHostParameter (bools[ParameterIndex::bypass]).setValue (unit (random) < 0.002f ? 1.0f : 0.0f);

                                    for (size_t i = ParameterIndex::bypass + 1; i < bools.size(); ++i)
                                        asHostParameter (bools[i]).setValue (unit (random));

                                    writes.fetch_add (1);
                                    std::this_thread::sleep_for (std::chrono::microseconds (20));
                                } });

    std::mt19937 random (5);
    std::uniform_real_distribution<double> rates (8000.0, 384000.0);
    std::uniform_int_distribution<int> lengths (0, 8192);
    std::uniform_real_distribution<float> signal (-1.0f, 1.0f);
    std::uniform_real_distribution<double> tempi (-20.0, 300.0);

    juce::AudioBuffer<float> audio (2, 8192);
    juce::MidiBuffer midi;
    int nonFinite = 0;
    double rate = 48000.0;

    for (int block = 0; block < 2000; ++block)
    {
        // A new rate re-sizes two 40-second lines, so only every so many blocks.
        if (block % 150 == 0)
        {
            rate = rates (random);
            processor.setRateAndBufferSizeDetails (rate, lengths (random));
        }

        playHead.bpm = tempi (random); // zero and negative tempi among them
        const auto n = lengths (random);
        audio.setSize (2, n, false, false, true);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < n; ++i)
                audio.setSample (ch, i, signal (random));

        processor.processBlock (audio, midi);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < n; ++i)
                nonFinite += std::isfinite (audio.getSample (ch, i)) ? 0 : 1;

        ASSERT_EQ (nonFinite, 0) << "block " << block << " at " << rate << " Hz";
        ASSERT_TRUE (processor.getDelayProcess().isReady());
    }

    running.store (false);
    automation.join();
    EXPECT_GT (writes.load(), 0);
}
// The host saves and restores the project on its main thread while the audio thread runs. With the
// same values written back each time, the audio must come out exactly as it does with nobody
// touching the state: the state calls may touch parameter values only, never the engine. (Under
// ThreadSanitizer any unsynchronised touch is reported as well.)
CONCURRENCY_TEST (Stress, SavingAndRestoringStateWhileAudioRuns)
{
    const auto render = [] (bool withStateTraffic)
    {
        OvelanAudioProcessor processor;
        ManualPlayHead playHead;
        processor.enableAllBuses();
        processor.setPlayHead (&playHead);
        processor.setRateAndBufferSizeDetails (48000.0, 256);

        const std::pair<ParameterIndex::Float, float> settings[] = { { ParameterIndex::mix, 0.7f }, { ParameterIndex::feedback, 0.6f }, { ParameterIndex::drive, 0.3f }, { ParameterIndex::width, 0.4f }, { ParameterIndex::dark, 0.2f }, { ParameterIndex::ms, 0.013f } };

        for (const auto& [index, value] : settings)
            asHostParameter (processor.floatParameters->at (index)).setValue (value);

        asHostParameter (processor.boolParameters->at (ParameterIndex::tempoChanger)).setValue (1.0f);

        // One round trip first: a value between the grid's steps (the default Sync) settles on it.
        juce::MemoryBlock settled;
        processor.getStateInformation (settled);
        processor.setStateInformation (settled.getData(), static_cast<int> (settled.getSize()));

        processor.prepareToPlay (48000.0, 256);

        std::atomic<bool> running{ true };
        std::atomic<int> roundTrips{ 0 };
        std::atomic<int> mismatches{ 0 };

        std::thread host ([&]
                          {
                              if (! withStateTraffic)
                                  return;

                              juce::MemoryBlock first;
                              processor.getStateInformation (first);

                              while (running.load())
                              {
                                  processor.setStateInformation (first.getData(), static_cast<int> (first.getSize()));
                                  juce::MemoryBlock again;
                                  processor.getStateInformation (again);
                                  mismatches.fetch_add (again == first ? 0 : 1);
                                  roundTrips.fetch_add (1);
                              } });

        std::mt19937 random (3);
        std::uniform_real_distribution<float> signal (-1.0f, 1.0f);
        juce::AudioBuffer<float> audio (2, 256);
        juce::MidiBuffer midi;
        std::vector<float> output;

        // The state traffic is under way before the first block.
        while (withStateTraffic && roundTrips.load() == 0)
            std::this_thread::yield();

        for (int block = 0; block < 3000; ++block)
        {
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < 256; ++i)
                    audio.setSample (ch, i, block < 1500 ? signal (random) : 0.0f);

            processor.processBlock (audio, midi);

            for (int ch = 0; ch < 2; ++ch)
                output.insert (output.end(), audio.getReadPointer (ch), audio.getReadPointer (ch) + 256);
        }

        running.store (false);
        host.join();
        EXPECT_EQ (mismatches.load(), 0);
        return output;
    };

    const auto quiet = render (false);
    const auto busy = render (true);
    ASSERT_EQ (quiet.size(), busy.size());
    EXPECT_TRUE (quiet == busy) << "the state traffic changed the sound";
}
// A host automates every parameter from its own thread, NaN among the values, while the project
// is saved again and again: no saved value is ever anything but a finite number, the last finite
// value standing in for a NaN. (Under ThreadSanitizer the hand-over of those values is checked.)
CONCURRENCY_TEST (Stress, SavingWhileAHostAutomatesNotANumberSavesOnlyNumbers)
{
    OvelanAudioProcessor processor;
    std::atomic<bool> running{ true };
    std::atomic<int> writes{ 0 };

    std::thread automation ([&]
                            {
                                std::mt19937 random (17);
                                std::uniform_real_distribution<float> unit (0.0f, 1.0f);
                                const auto& parameters = processor.getParameters();

                                for (unsigned i = 0; running.load(); ++i)
                                {
                                    auto* parameter = parameters[static_cast<int> (i % static_cast<unsigned> (parameters.size()))];
                                    parameter->setValueNotifyingHost (i % 3 == 0 ? std::numeric_limits<float>::quiet_NaN() : unit (random));
                                    writes.fetch_add (1);
                                } });

    // Stopped however the test ends, a failed assertion included.
    struct Stop
    {
        std::atomic<bool>& flag;
        std::thread& thread;
        ~Stop()
        {
            flag.store (false);
            thread.join();
        }
    } stop{ running, automation };

    while (writes.load() == 0)
        std::this_thread::yield();

    for (int save = 0; save < 2000; ++save)
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        const auto element = juce::AudioProcessor::getXmlFromBinary (block.getData(), static_cast<int> (block.getSize()));
        ASSERT_NE (element, nullptr);

        for (int i = 0; i < element->getNumAttributes(); ++i)
        {
            const auto text = element->getAttributeValue (i);
            const auto value = text.getDoubleValue();
            ASSERT_TRUE (std::isfinite (value) && ! text.containsIgnoreCase ("nan") && ! text.containsIgnoreCase ("inf"))
                << element->getAttributeName (i) << "=\"" << text << "\" in save " << save;
        }
    }
}
} // namespace
