// Meter readings a process offers its host. Not every process has meters, so
// a host asks for this face with dynamic_cast<vpa::IMeters*>(pProcess): a
// library without it answers null and the host shows no meters. The
// interface stands beside IProcess and changes none of its slots.
#pragma once

#include "vpaExport.h"

namespace vpa {

class VPA_EXPORT IMeters {
public:
    // Number of readings; GetMeterValue takes 0 .. GetNrOfMeters() - 1.
    virtual unsigned GetNrOfMeters() = 0;
    // One reading, safe to call from the audio thread between blocks (no
    // lock, no allocation). A reading may be consumed by the call (clip
    // counters), so one reader should poll it.
    virtual float GetMeterValue(unsigned nWhich) = 0;

protected:
    ~IMeters() = default;
};

} // namespace vpa
