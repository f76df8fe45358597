#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

/** Follows one host parameter on behalf of a control, and is the only way a control hears of
    changes.

    A change made on the message thread (the editor's own writes) reaches the control at once,
    inside the call that made it, so a click's consequences stay inside the click's gesture. A
    change from any other thread (the host's audio thread under automation) is only stored, lock-
    free; a timer shared by every follower hands it to the control on the message thread. That
    thread never locks, waits, allocates or posts a message here: JUCE's async updater may block
    when triggered from the audio thread.

    What is stored depends on the control. A toggle acts on every notification (turning one on
    clears its twin, even if it is turned off again at once), so by default every change is kept
    and delivered in order. A knob only shows where its parameter stands, so it may ask for the
    latest value alone.

    Registers as the parameter's listener on construction and removes itself on destruction;
    JUCE's listener lock guarantees that no call is in flight once the destructor returns. Make
    and destroy followers on the message thread, or with the message manager locked. */
class ParameterFollower final : private juce::AudioProcessorParameter::Listener
{
public:
    using Callback = std::function<void (int parameterIndex, float newValue)>;

    enum class Delivery
    {
        everyChange,
        latestValue
    };

    ParameterFollower (juce::AudioProcessorParameter& parameterToFollow, Callback onChange, Delivery delivery = Delivery::everyChange);
    ~ParameterFollower() override;

    /** Delivers what arrived from other threads, if anything waits; message thread only.
        The shared timer calls this; tests call it to avoid waiting for the timer. */
    void deliverPending();

    /** True while a change from another thread waits for the message thread; message thread
        only. */
    bool hasPending() const noexcept;

    /** Delivers every waiting change of every follower now; message thread only. */
    static void deliverAllPending();

    juce::AudioProcessorParameter& getParameter() const noexcept { return parameter; }

    /** How many changes from other threads can wait between two ticks of the timer. Beyond that
        (hundreds of changes a second to one toggle) the ones that do not fit are summed up by
        one delivery of the value the parameter then holds. */
    static constexpr size_t queueCapacity = 64;

private:
    class Ticker;

    void parameterValueChanged (int parameterIndex, float newValue) override;
    void parameterGestureChanged (int, bool) override {}

    void enqueue (std::uint64_t change) noexcept;
    void dropEverythingWaiting() noexcept;

    juce::AudioProcessorParameter& parameter;
    Callback callback;
    const Delivery delivery;

    // Latest value only: written by the other thread before `pending`, read by the message
    // thread after it. One 64-bit word, so that index and value always arrive together.
    std::atomic<std::uint64_t> slot{ 0 };
    std::atomic<bool> pending{ false };

    // Every change: a bounded queue that any number of threads may fill and the message thread
    // empties. Each cell's sequence number says whether it is free for the writer of that turn
    // (equal to the turn) or holds that turn's change (one more).
    struct Cell
    {
        std::atomic<std::size_t> sequence{ 0 };
        std::atomic<std::uint64_t> change{ 0 };
    };

    std::array<Cell, queueCapacity> queue;
    std::atomic<std::size_t> enqueueTurn{ 0 };
    std::size_t dequeueTurn = 0;
    std::atomic<bool> overflowed{ false };

    juce::SharedResourcePointer<Ticker> ticker;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParameterFollower)
};
