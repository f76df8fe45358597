#include "editor/DelayRow.h"
#include "engine/PluginProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
/** Counts every repaint that reaches the top of the tree, wherever it started. */
class RepaintCounter final : public juce::CachedComponentImage
{
public:
    void paint (juce::Graphics&) override {}
    bool invalidateAll() override { return count(); }
    bool invalidate (const juce::Rectangle<int>&) override { return count(); }
    void releaseResources() override {}

    int repaints = 0;

private:
    bool count()
    {
        ++repaints;
        return true;
    }
};

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

    auto* counter = new RepaintCounter();
    top.setCachedComponentImage (counter);

    if (state.range (0) == 1)
    {
        auto& tempoChanger = *processor.boolParameters->at (ParameterIndex::tempoChanger);
        tempoChanger.setValueNotifyingHost (1.0f);
    }

    auto& time = row.getRow().getTimeKnob().getCompass();
    time.timerCallback();
    counter->repaints = 0;

    for (auto _ : state)
        time.timerCallback();

    state.counters["repaintsPerTick"] = benchmark::Counter (static_cast<double> (counter->repaints) / static_cast<double> (state.iterations()));
    top.setCachedComponentImage (nullptr);
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
