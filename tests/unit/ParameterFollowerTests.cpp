#include "editor/ParameterFollower.h"
#include "engine/PluginProcessor.h"
#include "support/ConcurrencyTests.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

namespace
{
struct Heard
{
    std::vector<std::pair<int, float>> calls;

    ParameterFollower::Callback recorder()
    {
        return [this] (int index, float value)
        { calls.emplace_back (index, value); };
    }
};

void writeFromAnotherThread (juce::AudioProcessorParameter& parameter, std::vector<float> values)
{
    std::thread writer ([&parameter, values]
                        {
                            for (const auto value : values)
                            {
                                parameter.setValue (value);
                                parameter.sendValueChangedMessageToListeners (value);
                            } });
    writer.join();
}
} // namespace

CONCURRENCY_TEST (ParameterFollower, MessageThreadWritesArriveInsideTheWritingCall)
{
    OvelanAudioProcessor processor;
    auto& feedback = *processor.floatParameters->at (ParameterIndex::feedback);
    Heard heard;
    ParameterFollower follower (feedback, heard.recorder());

    feedback.setValueNotifyingHost (0.4f);

    ASSERT_EQ (heard.calls.size(), 1u);
    EXPECT_EQ (heard.calls[0], std::make_pair (ParameterIndex::hostIndex (ParameterIndex::feedback), 0.4f));
    EXPECT_FALSE (follower.hasPending());
}

// From other threads a toggle gets every change in order; a knob may have only the latest.
struct DeliveryCase
{
    const char* name;
    ParameterFollower::Delivery delivery;
    std::vector<float> delivered;
};

void PrintTo (const DeliveryCase& test, std::ostream* out) { *out << test.name; }

class OtherThreads : public ::testing::TestWithParam<DeliveryCase>
{
};

CONCURRENCY_TEST_P (OtherThreads, LeaveTheirChangesForTheMessageThread)
{
    const auto& test = GetParam();
    OvelanAudioProcessor processor;
    auto& tempoChanger = *processor.boolParameters->at (ParameterIndex::tempoChanger);
    Heard heard;
    ParameterFollower follower (tempoChanger, heard.recorder(), test.delivery);

    writeFromAnotherThread (tempoChanger, { 1.0f, 0.0f, 1.0f });
    EXPECT_TRUE (heard.calls.empty()) << "nothing reaches the control on the writing thread";
    EXPECT_TRUE (follower.hasPending());

    follower.deliverPending();
    EXPECT_FALSE (follower.hasPending());
    follower.deliverPending();

    std::vector<float> delivered;

    for (const auto& [index, value] : heard.calls)
    {
        EXPECT_EQ (index, ParameterIndex::hostIndex (ParameterIndex::tempoChanger));
        delivered.push_back (value);
    }

    EXPECT_EQ (delivered, test.delivered);
}

INSTANTIATE_TEST_SUITE_P (Deliveries,
                          OtherThreads,
                          ::testing::Values (DeliveryCase{ "EveryChangeInOrder", ParameterFollower::Delivery::everyChange, { 1.0f, 0.0f, 1.0f } },
                                             DeliveryCase{ "OnlyTheLatestValue", ParameterFollower::Delivery::latestValue, { 1.0f } }),
                          [] (const auto& testInfo)
                          { return std::string (testInfo.param.name); });

// More changes between two ticks than the queue holds: the ones that fit arrive in order, and
// one more delivery brings the control to where the parameter ended.
CONCURRENCY_TEST (ParameterFollower, AFloodBeyondTheQueueEndsAtTheParametersValue)
{
    OvelanAudioProcessor processor;
    auto& dotted = *processor.boolParameters->at (ParameterIndex::dotted);
    Heard heard;
    ParameterFollower follower (dotted, heard.recorder());

    std::vector<float> flood;

    for (size_t i = 0; i < ParameterFollower::queueCapacity * 3 + 1; ++i)
        flood.push_back (i % 2 == 0 ? 1.0f : 0.0f);

    writeFromAnotherThread (dotted, flood);
    follower.deliverPending();

    ASSERT_EQ (heard.calls.size(), ParameterFollower::queueCapacity + 1);

    for (size_t i = 0; i < ParameterFollower::queueCapacity; ++i)
        EXPECT_EQ (heard.calls[i].second, flood[i]) << i;

    EXPECT_EQ (heard.calls.back(), std::make_pair (ParameterIndex::hostIndex (ParameterIndex::dotted), 1.0f));

    // The queue is free again: the next change arrives on its own.
    writeFromAnotherThread (dotted, { 0.0f });
    follower.deliverPending();
    ASSERT_EQ (heard.calls.size(), ParameterFollower::queueCapacity + 2);
    EXPECT_EQ (heard.calls.back().second, 0.0f);
}

// Several host threads at once: every change of each arrives, each thread's in its own order.
CONCURRENCY_TEST (ParameterFollower, ChangesFromSeveralThreadsAtOnceAllArrive)
{
    OvelanAudioProcessor processor;
    auto& triplet = *processor.boolParameters->at (ParameterIndex::triplet);
    Heard heard;
    ParameterFollower follower (triplet, heard.recorder());

    // Values that name their writer and their place; the parameter itself only keeps 0 or 1.
    constexpr int writers = 4;
    constexpr int perWriter = static_cast<int> (ParameterFollower::queueCapacity) / writers;
    std::vector<std::thread> threads;

    for (int w = 0; w < writers; ++w)
        threads.emplace_back ([&triplet, w]
                              {
                                  for (int i = 0; i < perWriter; ++i)
                                      triplet.sendValueChangedMessageToListeners (static_cast<float> (w * 1000 + i)); });

    for (auto& thread : threads)
        thread.join();

    follower.deliverPending();
    ASSERT_EQ (heard.calls.size(), static_cast<size_t> (writers * perWriter));

    std::vector<int> nextOf (writers, 0);

    for (const auto& [index, value] : heard.calls)
    {
        const auto w = static_cast<int> (value) / 1000;
        ASSERT_TRUE (w >= 0 && w < writers) << value;
        EXPECT_EQ (static_cast<int> (value) % 1000, nextOf[static_cast<size_t> (w)]++);
    }
}

CONCURRENCY_TEST (ParameterFollower, TheSharedTimerDeliversWithoutHelp)
{
    OvelanAudioProcessor processor;
    auto& mix = *processor.floatParameters->at (ParameterIndex::mix);
    Heard heard;
    ParameterFollower follower (mix, heard.recorder());

    writeFromAnotherThread (mix, { 0.25f });

    EXPECT_TRUE (echovane::testing::pumpUntil ([&heard]
                                               { return ! heard.calls.empty(); }));

    ASSERT_EQ (heard.calls.size(), 1u);
    EXPECT_EQ (heard.calls[0].second, 0.25f);
}

CONCURRENCY_TEST (ParameterFollower, AMessageThreadWriteSupersedesAnOlderPendingOne)
{
    OvelanAudioProcessor processor;
    auto& mix = *processor.floatParameters->at (ParameterIndex::mix);
    Heard heard;
    ParameterFollower follower (mix, heard.recorder());

    writeFromAnotherThread (mix, { 0.9f });
    mix.setValueNotifyingHost (0.1f);
    ParameterFollower::deliverAllPending();

    ASSERT_EQ (heard.calls.size(), 1u);
    EXPECT_EQ (heard.calls[0].second, 0.1f);
}

CONCURRENCY_TEST (ParameterFollower, NothingArrivesAfterDestruction)
{
    OvelanAudioProcessor processor;
    auto& mix = *processor.floatParameters->at (ParameterIndex::mix);
    Heard heard;

    {
        ParameterFollower follower (mix, heard.recorder());
        writeFromAnotherThread (mix, { 0.3f });
    }

    mix.setValueNotifyingHost (0.7f);
    ParameterFollower::deliverAllPending();
    EXPECT_TRUE (heard.calls.empty());
}
