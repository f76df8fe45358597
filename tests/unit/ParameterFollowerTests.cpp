#include "editor/ParameterFollower.h"
#include "engine/PluginProcessor.h"
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

TEST (ParameterFollower, MessageThreadWritesArriveInsideTheWritingCall)
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

TEST (ParameterFollower, OtherThreadsOnlyLeaveTheLatestValueForTheMessageThread)
{
    OvelanAudioProcessor processor;
    auto& tempoChanger = *processor.boolParameters->at (ParameterIndex::tempoChanger);
    Heard heard;
    ParameterFollower follower (tempoChanger, heard.recorder());

    writeFromAnotherThread (tempoChanger, { 1.0f, 0.0f, 1.0f });
    EXPECT_TRUE (heard.calls.empty()) << "nothing reaches the control on the writing thread";
    EXPECT_TRUE (follower.hasPending());

    follower.deliverPending();
    follower.deliverPending();
    ASSERT_EQ (heard.calls.size(), 1u);
    EXPECT_EQ (heard.calls[0], std::make_pair (ParameterIndex::hostIndex (ParameterIndex::tempoChanger), 1.0f));
}

TEST (ParameterFollower, TheSharedTimerDeliversWithoutHelp)
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

TEST (ParameterFollower, AMessageThreadWriteSupersedesAnOlderPendingOne)
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

TEST (ParameterFollower, NothingArrivesAfterDestruction)
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
