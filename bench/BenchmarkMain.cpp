#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

// Google Benchmark's main with JUCE set up around it: the editors, the message manager and the
// bundle's hosting need it.
int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
