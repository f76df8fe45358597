#include "editor/DelayRow.h"
#include "engine/PluginProcessor.h"
#include "tests/support/RepaintRecorder.h"

#include <benchmark/benchmark.h>

namespace
{
/** One tick of the TIME knob's 100 ms read-out timer with nothing changed, in synced mode
    (argument 0) and milliseconds mode (argument 1). Reports the repaints per tick, which must
    be zero: a tick that changes nothing costs no drawing. */
void readOutIdleTick (benchmark::State& state)
{
    OvelanAudioProcessor processor;
    juce::Component top;
    DelayRowWrapper row (*processor.floatParameters, *processor.boolParameters);
    top.setBounds (0, 0, 1000, 389);
    top.addAndMakeVisible (row);
    row.setBounds (top.getLocalBounds());
    top.setVisible (true);

    auto& repaints = echovane::testing::RepaintRecorder::attachTo (top);

    if (state.range (0) == 1)
    {
        auto& tempoChanger = *processor.boolParameters->at (ParameterIndex::tempoChanger);
        tempoChanger.setValueNotifyingHost (1.0f);
    }

    auto& time = row.getRow().getTimeKnob().getCompass();
    time.timerCallback();
    repaints.clear();

    for (auto _ : state)
        time.timerCallback();

    state.counters["repaintsPerTick"] = benchmark::Counter (static_cast<double> (repaints.areas.size()) / static_cast<double> (state.iterations()));
}

/** The same tick when "Sync" moves every time: the cost of a tick that does redraw. */
void readOutChangingTick (benchmark::State& state)
{
    OvelanAudioProcessor processor;
    juce::Component top;
    DelayRowWrapper row (*processor.floatParameters, *processor.boolParameters);
    top.setBounds (0, 0, 1000, 389);
    top.addAndMakeVisible (row);
    row.setBounds (top.getLocalBounds());
    top.setVisible (true);

    auto& sync = *processor.floatParameters->at (ParameterIndex::sync);
    auto& time = row.getRow().getTimeKnob().getCompass();
    auto high = false;

    for (auto _ : state)
    {
        high = ! high;
        static_cast<juce::AudioProcessorParameter&> (sync).setValue (high ? 1.0f : 0.0f);
        time.timerCallback();
    }
}
} // namespace

BENCHMARK (readOutIdleTick)->Arg (0)->Arg (1)->Unit (benchmark::kMicrosecond);
BENCHMARK (readOutChangingTick)->Unit (benchmark::kMicrosecond);
