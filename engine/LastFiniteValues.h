#pragma once

#include "MetaParameter.h"

#include <atomic>
#include <memory>
#include <vector>

/** The last finite value each host parameter held. A host may hand a parameter NaN; the engine
    then goes on with the last finite value it read, and a saved state must hold that value too,
    or reloading it would give another sound.

    Listens to the parameters from construction to destruction. Hosts deliver automation on the
    audio thread, so the listener call only loads the parameter's value and stores one atomic. */
class LastFiniteValues final : private juce::AudioProcessorParameter::Listener
{
public:
    /** Follows the processor's parameters; the vectors must outlive this object. */
    LastFiniteValues (const std::vector<FloatParameter*>& floatParameters, const std::vector<BoolParameter*>& boolParameters);
    ~LastFiniteValues() override;

    /** The parameter at this host index as the engine reads it (a float's plain value, a bool's
        raw value) when that is finite, else the last finite value it held. */
    float valueOf (int hostIndex) const noexcept;

    /** Takes every parameter's current value where it is finite, after writes that told no
        listener (a restored state). */
    void refresh() noexcept;

private:
    void parameterValueChanged (int parameterIndex, float newValue) override;
    void parameterGestureChanged (int, bool) override {}

    float currentValue (int hostIndex) const noexcept;
    void remember (int hostIndex) noexcept;

    const std::vector<FloatParameter*>& floats;
    const std::vector<BoolParameter*>& bools;
    const int count;
    std::unique_ptr<std::atomic<float>[]> lastFinite;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LastFiniteValues)
};
