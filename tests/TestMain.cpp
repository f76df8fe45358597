#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

// JUCE wants a message thread and its singletons before any processor, editor or hosted
// plug-in exists; the test runner's main thread is that message thread.
int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
