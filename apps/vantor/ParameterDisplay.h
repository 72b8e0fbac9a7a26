// Parameter values as the editor's panels show them beside their knobs
// ("1.9 KHz", "-3.3 dB", "430 ms", "Off"): the parameter table's value text,
// the same the editor builds.
#pragma once

#include "hosting/ParameterText.h"

#include <string>

class CParameterDisplay {
public:
    explicit CParameterDisplay(const CParameterText& parameters)
        : mParameters(parameters)
    { }

    // The editor's text for a stored value of parameter nIndex; switches and
    // lists show their value texts, "Patch" its chain order.
    std::string Show(int nIndex, int nStored) const;

private:
    const CParameterText& mParameters;
};
