// Meter readings a process offers its host. Not every process has meters, so
// a host asks for this face with vpa::FindMeters(pProcess): a library without
// it answers null and the host shows no meters. The interface stands beside
// IProcess and changes none of its slots.
#pragma once

#include "vpaProcess.h"

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

// The meters of a process, or null. The query starts from IObject, whose
// type information every host has (the class is defined inline), so a host
// that loads the library at run time needs no link to it.
inline IMeters* FindMeters(IProcess* pProcess)
{
    return pProcess != nullptr ? dynamic_cast<IMeters*>(static_cast<IObject*>(pProcess)) : nullptr;
}

} // namespace vpa
