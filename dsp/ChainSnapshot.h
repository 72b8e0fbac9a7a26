// Everything the user-interface side designs for the chain, as plain data:
// the order, the bypass flags, the channel count and every module's
// coefficients and gains. One VnSystem captures it after a change and
// another (the one the audio thread runs) adopts it between two blocks,
// keeping its own signal history and meters.
#pragma once

#include "EQmHostDSP.h"
#include "ML2HostDSP.h"
#include "SC1HostDSP.h"
#include "VnOutHostDSP.h"
#include "VnSystemProc.h"

struct SChainSnapshot {
    int nChannels; // 1 or 2
    int order[kNrOfModules]; // module identifier per slot
    int bypass[kNrOfModules]; // per module identifier, non-zero = bypassed
    EQmHostDSP::SSettings equaliser;
    SC1HostDSP::SSettings compressor;
    ML2HostDSP::SSettings limiter;
    VnOutHostDSP::SSettings clipper;
};
