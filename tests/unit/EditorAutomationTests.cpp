#include "support/ConcurrencyTests.h"
#include "support/EditorProbe.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <random>
#include <thread>

namespace
{
using echovane::testing::findChild;
using echovane::testing::openEditor;

/** Host automation at full speed on its own thread: every parameter, any float, NaN and the
    infinities included, until told to stop. */
class AutomationThread final
{
public:
    explicit AutomationThread (OvelanAudioProcessor& processorToAutomate)
        : processor (processorToAutomate)
        , thread ([this]
                  { run(); })
    {
    }

    ~AutomationThread()
    {
        stop.store (true);
        thread.join();
    }

    std::atomic<int> writes{ 0 };

private:
    void run()
    {
        std::mt19937 random (7);
        std::uniform_real_distribution<float> anywhere (-2.0f, 3.0f);
        const float oddValues[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), 0.5f, 0.0f, 1.0f };
        const auto& parameters = processor.getParameters();

        for (unsigned i = 0; ! stop.load(); ++i)
        {
            auto* parameter = parameters[static_cast<int> (i % static_cast<unsigned> (parameters.size()))];
            const auto value = i % 7 == 0 ? oddValues[(i / 7) % std::size (oddValues)] : anywhere (random);
            parameter->setValue (value);
            parameter->sendValueChangedMessageToListeners (value);
            writes.fetch_add (1);
        }
    }

    OvelanAudioProcessor& processor;
    std::atomic<bool> stop{ false };
    std::thread thread;
};

CONCURRENCY_TEST (Stress, TheWholeRowFollowsAutomationOfEveryParameterWhileEditorsOpenAndClose)
{
    OvelanAudioProcessor processor;

    {
        AutomationThread automation (processor);

        for (int opening = 0; opening < 30; ++opening)
        {
            auto editor = openEditor (processor);
            ASSERT_NE (editor, nullptr);

            // Let the hand-over and the read-out's timer run against the moving values, with
            // the editor at changing sizes.
            const auto writesBefore = automation.writes.load();
            ASSERT_TRUE (echovane::testing::pumpUntil ([&]
                                                       { return automation.writes.load() > writesBefore + 1000; }));
            editor->setSize (800 + 20 * opening, 384 + 7 * opening);
            ParameterFollower::deliverAllPending();
            echovane::testing::pumpUntil ([]
                                          { return false; },
                                          opening % 5 == 0 ? 120 : 5);
            editor->createComponentSnapshot (editor->getLocalBounds());
        }
    }

    // Nobody follows the parameters any more: a change of mode does not clear the variants,
    // neither at once nor once the hand-over's timer had its chance.
    auto& triplet = *processor.boolParameters->at (ParameterIndex::triplet);
    auto& dotted = *processor.boolParameters->at (ParameterIndex::dotted);
    auto& tempoChanger = *processor.boolParameters->at (ParameterIndex::tempoChanger);
    static_cast<juce::AudioProcessorParameter&> (triplet).setValue (1.0f);
    static_cast<juce::AudioProcessorParameter&> (dotted).setValue (1.0f);

    tempoChanger.setValueNotifyingHost (0.0f);
    tempoChanger.setValueNotifyingHost (1.0f);
    ParameterFollower::deliverAllPending();
    echovane::testing::pumpUntil ([]
                                  { return false; },
                                  50);

    EXPECT_TRUE (triplet.get());
    EXPECT_TRUE (dotted.get());
    EXPECT_EQ (processor.getActiveEditor(), nullptr);
}
} // namespace
