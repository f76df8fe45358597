#include "LastFiniteValues.h"

#include <cmath>

LastFiniteValues::LastFiniteValues (const std::vector<FloatParameter*>& floatParameters, const std::vector<BoolParameter*>& boolParameters)
    : floats (floatParameters)
    , bools (boolParameters)
    , count (static_cast<int> (floatParameters.size() + boolParameters.size()))
    , lastFinite (std::make_unique<std::atomic<float>[]> (static_cast<size_t> (count)))
{
    for (int i = 0; i < count; ++i)
    {
        lastFinite[static_cast<size_t> (i)].store (0.0f, std::memory_order_relaxed);
        remember (i);
    }

    for (auto* parameter : floats)
        parameter->addListener (this);

    for (auto* parameter : bools)
        parameter->addListener (this);
}

LastFiniteValues::~LastFiniteValues()
{
    for (auto* parameter : floats)
        parameter->removeListener (this);

    for (auto* parameter : bools)
        parameter->removeListener (this);
}

float LastFiniteValues::currentValue (int hostIndex) const noexcept
{
    const auto index = static_cast<size_t> (hostIndex);

    if (index < floats.size())
        return floats[index]->get();

    return asHostParameter (bools[index - floats.size()]).getValue();
}

float LastFiniteValues::valueOf (int hostIndex) const noexcept
{
    if (! juce::isPositiveAndBelow (hostIndex, count))
        return 0.0f;

    const auto value = currentValue (hostIndex);
    return std::isfinite (value) ? value : lastFinite[static_cast<size_t> (hostIndex)].load (std::memory_order_relaxed);
}

void LastFiniteValues::refresh() noexcept
{
    for (int i = 0; i < count; ++i)
        remember (i);
}

void LastFiniteValues::parameterValueChanged (int parameterIndex, float)
{
    // The value as the parameter keeps it, snapped to its grid, not as it was handed over.
    remember (parameterIndex);
}

void LastFiniteValues::remember (int hostIndex) noexcept
{
    if (! juce::isPositiveAndBelow (hostIndex, count))
        return;

    const auto value = currentValue (hostIndex);

    if (std::isfinite (value))
        lastFinite[static_cast<size_t> (hostIndex)].store (value, std::memory_order_relaxed);
}
