#include "IsolatedRun.h"
#include "RawVst3Host.h"

#include <gtest/gtest.h>

namespace
{
using echovane::rawhost::ChildReport;
using echovane::rawhost::PluginInstance;
using echovane::rawhost::Vst3Module;
using Steinberg::int32;

// The thirteen parameters and JUCE's host bypass behind them.
constexpr int32 parameterCount = 14;

TEST (RawHostParameters, InfoOutsideTheRangeIsRefused)
{
    for (const int32 index : { -1, parameterCount, 1000 })
    {
        const auto outcome = echovane::rawhost::runIsolated ([index] (ChildReport& report)
                                                             {
            const Vst3Module module (echovane::rawhost::builtBinary());
            const PluginInstance plugin (module);
            auto& controller = plugin.controller();

            // The edges inside the range answer, so the index asked about is really outside it.
            report.step ("the indices inside the range");

            if (controller.getParameterCount() != parameterCount)
                report.problem ("the controller counts " + std::to_string (controller.getParameterCount()) + " parameters");

            Steinberg::Vst::ParameterInfo info{};

            if (controller.getParameterInfo (0, info) != Steinberg::kResultOk)
                report.problem ("index 0 was refused");

            if (controller.getParameterInfo (parameterCount - 1, info) != Steinberg::kResultOk
                || (info.flags & Steinberg::Vst::ParameterInfo::kIsBypass) == 0)
                report.problem ("the last index is not the host's bypass");

            report.step ("index " + std::to_string (index));

            if (controller.getParameterInfo (index, info) == Steinberg::kResultOk)
                report.problem ("index " + std::to_string (index) + " was answered as a parameter"); });

        echovane::rawhost::expectCleanOutcome (outcome, "getParameterInfo (" + std::to_string (index) + ")");
    }
}
} // namespace
