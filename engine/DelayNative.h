#pragma once

#include "PluginProcessor.h"

class DelayProcess
{
public:
    DelayProcess (std::vector<FloatParameter*>* floatParameterList, std::vector<BoolParameter*>* boolParameterList)
        : floatParameters (floatParameterList)
        , boolParameters (boolParameterList)
    {
    }

    std::vector<FloatParameter*>* floatParameters;
    std::vector<BoolParameter*>* boolParameters;
};
