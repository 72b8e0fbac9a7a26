// The hard/soft clipper shared by the limiter's overload stage and the
// output clipper.
#pragma once

#include "Block.h"

struct SClipper {
    enum { kHard = 0, kSoft = 2 };

    // Mode 0 (hard): limits p1 (upper) and p2 (lower); p3, p4 unused.
    // Mode 2 (soft): outputs p1 (upper) and p2 (lower), knees p3 and p4; each
    // curve leaves its knee with slope 1 and reaches its output with slope 0
    // at its end (2 * output - knee).
    void Configure(int nMode, float p1, float p2, float p3, float p4);

    // Clips one 64-sample block in place; returns how many samples it changed
    // (hard) or how many lay outside [lower knee, upper knee) (soft).
    int Clip(float* pBlock) const;

    int mode = kHard;
    float upperKnee = 1.0f, lowerKnee = -1.0f;
    float upperEnd = 1.0f, lowerEnd = -1.0f;
    float upperOutput = 1.0f, lowerOutput = -1.0f;
    float qa = 0.0f, qb = 0.0f, qc = 0.0f;
    float pa = 0.0f, pb = 0.0f, pc = 0.0f;
};
