#include "ParameterFollower.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
std::uint64_t pack (int index, float value) noexcept
{
    std::uint32_t bits;
    std::memcpy (&bits, &value, sizeof (bits));
    return (static_cast<std::uint64_t> (static_cast<std::uint32_t> (index)) << 32) | bits;
}

void unpack (std::uint64_t word, int& index, float& value) noexcept
{
    index = static_cast<int> (static_cast<std::uint32_t> (word >> 32));
    const auto bits = static_cast<std::uint32_t> (word);
    std::memcpy (&value, &bits, sizeof (value));
}

// Short enough that a knob follows automation smoothly, long enough to cost nothing.
constexpr int deliveryIntervalMs = 15;
} // namespace

/** The message-thread timer shared by every follower alive: it runs from the first follower's
    construction to the last one's destruction. */
class ParameterFollower::Ticker final : private juce::Timer
{
public:
    Ticker() { startTimer (deliveryIntervalMs); }
    ~Ticker() override { stopTimer(); }

    void add (ParameterFollower* follower) { followers.push_back (follower); }

    void remove (ParameterFollower* follower)
    {
        followers.erase (std::remove (followers.begin(), followers.end(), follower), followers.end());
    }

    void deliverAll()
    {
        // A delivery may create or destroy followers (a control re-laying out another), so the
        // list is walked by index and re-checked on every step.
        for (size_t i = 0; i < followers.size(); ++i)
            followers[i]->deliverPending();
    }

private:
    void timerCallback() override { deliverAll(); }

    std::vector<ParameterFollower*> followers;
};

ParameterFollower::ParameterFollower (juce::AudioProcessorParameter& parameterToFollow, Callback onChange, Delivery deliveryToUse)
    : parameter (parameterToFollow)
    , callback (std::move (onChange))
    , delivery (deliveryToUse)
{
    for (size_t i = 0; i < queue.size(); ++i)
        queue[i].sequence.store (i, std::memory_order_relaxed);

    // On Linux a plug-in's editor may be built on the host's thread under the message manager's
    // lock, before the host's run loop takes over as the message thread.
    JUCE_ASSERT_MESSAGE_MANAGER_IS_LOCKED
    ticker->add (this);
    parameter.addListener (this);
}

ParameterFollower::~ParameterFollower()
{
    parameter.removeListener (this);
    ticker->remove (this);
}

void ParameterFollower::parameterValueChanged (int parameterIndex, float newValue)
{
    if (juce::MessageManager::getInstanceWithoutCreating() != nullptr
        && juce::MessageManager::getInstanceWithoutCreating()->isThisTheMessageThread())
    {
        // Handled now; anything older still waiting from another thread is out of date.
        dropEverythingWaiting();
        callback (parameterIndex, newValue);
        return;
    }

    if (delivery == Delivery::everyChange)
    {
        enqueue (pack (parameterIndex, newValue));
        return;
    }

    slot.store (pack (parameterIndex, newValue), std::memory_order_relaxed);
    pending.store (true, std::memory_order_release);
}

void ParameterFollower::enqueue (std::uint64_t change) noexcept
{
    auto turn = enqueueTurn.load (std::memory_order_relaxed);

    for (;;)
    {
        auto& cell = queue[turn % queueCapacity];
        const auto sequence = cell.sequence.load (std::memory_order_acquire);

        if (sequence == turn)
        {
            // The cell is free for this turn; whoever claims the turn first writes it.
            if (enqueueTurn.compare_exchange_weak (turn, turn + 1, std::memory_order_relaxed))
            {
                cell.change.store (change, std::memory_order_relaxed);
                cell.sequence.store (turn + 1, std::memory_order_release);
                return;
            }
        }
        else if (sequence < turn)
        {
            // Full: the message thread has not taken this cell's previous change yet.
            overflowed.store (true, std::memory_order_release);
            return;
        }
        else
        {
            turn = enqueueTurn.load (std::memory_order_relaxed);
        }
    }
}

void ParameterFollower::dropEverythingWaiting() noexcept
{
    pending.store (false, std::memory_order_relaxed);
    overflowed.store (false, std::memory_order_relaxed);

    for (;;)
    {
        auto& cell = queue[dequeueTurn % queueCapacity];

        if (cell.sequence.load (std::memory_order_acquire) != dequeueTurn + 1)
            return;

        cell.sequence.store (dequeueTurn + queueCapacity, std::memory_order_release);
        ++dequeueTurn;
    }
}

bool ParameterFollower::hasPending() const noexcept
{
    return pending.load (std::memory_order_acquire) || overflowed.load (std::memory_order_acquire)
        || queue[dequeueTurn % queueCapacity].sequence.load (std::memory_order_acquire) == dequeueTurn + 1;
}

void ParameterFollower::deliverPending()
{
    // Each change leaves the queue before its callback runs, so a callback that writes this
    // follower's parameter on the message thread (and so drops what waits) leaves the loop
    // consistent. A callback must not destroy its own follower.
    for (;;)
    {
        auto& cell = queue[dequeueTurn % queueCapacity];

        if (cell.sequence.load (std::memory_order_acquire) != dequeueTurn + 1)
            break;

        const auto change = cell.change.load (std::memory_order_relaxed);
        cell.sequence.store (dequeueTurn + queueCapacity, std::memory_order_release);
        ++dequeueTurn;

        int index = 0;
        float value = 0.0f;
        unpack (change, index, value);
        callback (index, value);
    }

    // The changes that did not fit end where the parameter now stands.
    if (overflowed.exchange (false, std::memory_order_acquire))
        callback (parameter.getParameterIndex(), parameter.getValue());

    if (! pending.exchange (false, std::memory_order_acquire))
        return;

    int index = 0;
    float value = 0.0f;
    unpack (slot.load (std::memory_order_relaxed), index, value);
    callback (index, value);
}

void ParameterFollower::deliverAllPending()
{
    juce::SharedResourcePointer<Ticker> ticker;
    ticker->deliverAll();
}
