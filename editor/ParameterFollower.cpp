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

ParameterFollower::ParameterFollower (juce::AudioProcessorParameter& parameterToFollow, Callback onChange)
    : parameter (parameterToFollow)
    , callback (std::move (onChange))
{
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
        pending.store (false, std::memory_order_relaxed);
        callback (parameterIndex, newValue);
        return;
    }

    slot.store (pack (parameterIndex, newValue), std::memory_order_relaxed);
    pending.store (true, std::memory_order_release);
}

void ParameterFollower::deliverPending()
{
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
