#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <functional>

/** Follows one host parameter on behalf of a control, and is the only way a control hears of
    changes.

    A change made on the message thread (the editor's own writes) reaches the control at once,
    inside the call that made it, so a click's consequences stay inside the click's gesture. A
    change from any other thread (the host's audio thread under automation) only stores its
    index and value in a lock-free slot; a timer shared by every follower delivers the latest
    value on the message thread. That thread never locks, waits, allocates or posts a message
    here: JUCE's async updater may block when triggered from the audio thread.

    Registers as the parameter's listener on construction and removes itself on destruction;
    JUCE's listener lock guarantees that no call is in flight once the destructor returns. Make
    and destroy followers on the message thread, or with the message manager locked. */
class ParameterFollower final : private juce::AudioProcessorParameter::Listener
{
public:
    using Callback = std::function<void (int parameterIndex, float newValue)>;

    ParameterFollower (juce::AudioProcessorParameter& parameterToFollow, Callback onChange);
    ~ParameterFollower() override;

    /** Delivers a change that arrived from another thread, if one waits; message thread only.
        The shared timer calls this; tests call it to avoid waiting for the timer. */
    void deliverPending();

    /** True while a change from another thread waits for the message thread. */
    bool hasPending() const noexcept { return pending.load (std::memory_order_acquire); }

    /** Delivers every waiting change of every follower now; message thread only. */
    static void deliverAllPending();

    juce::AudioProcessorParameter& getParameter() const noexcept { return parameter; }

private:
    class Ticker;

    void parameterValueChanged (int parameterIndex, float newValue) override;
    void parameterGestureChanged (int, bool) override {}

    juce::AudioProcessorParameter& parameter;
    Callback callback;

    // Written by the other thread before `pending`, read by the message thread after it. One
    // 64-bit word, so that index and value always arrive together.
    std::atomic<std::uint64_t> slot{ 0 };
    std::atomic<bool> pending{ false };

    juce::SharedResourcePointer<Ticker> ticker;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParameterFollower)
};
