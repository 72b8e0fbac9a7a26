#include "Clipper.h"

void SClipper::Configure(int nMode, float p1, float p2, float p3, float p4)
{
    mode = nMode;
    if (nMode != kSoft) {
        upperKnee = p1;
        lowerKnee = p2;
        return;
    }
    upperOutput = p1;
    lowerOutput = p2;
    upperKnee = p3;
    lowerKnee = p4;
    upperEnd = static_cast<float>(2.0 * p1 - p3);
    lowerEnd = static_cast<float>(2.0 * p2 - p4);
    // pb and qb use the stored (single-precision) pa and qa.
    pa = static_cast<float>(-0.25 / (static_cast<double>(p1) - p3));
    pb = static_cast<float>(-2.0 * pa * (2.0 * p1 - p3));
    pc = static_cast<float>(static_cast<double>(pa) * p3 * p3);
    qa = static_cast<float>(-0.25 / (static_cast<double>(p2) - p4));
    qb = static_cast<float>(-2.0 * qa * (2.0 * p2 - p4));
    qc = static_cast<float>(static_cast<double>(qa) * p4 * p4);
}

int SClipper::Clip(float* pBlock) const
{
    int nCount = 0;
    if (mode != kSoft) {
        for (int n = 0; n < kBlockSize; ++n) {
            const float x = pBlock[n];
            if (x > upperKnee) {
                pBlock[n] = upperKnee;
                ++nCount;
            } else if (x < lowerKnee) {
                pBlock[n] = lowerKnee;
                ++nCount;
            }
        }
        return nCount;
    }
    for (int n = 0; n < kBlockSize; ++n) {
        const float x = pBlock[n];
        if (x < lowerEnd) {
            pBlock[n] = lowerOutput;
        } else if (x < lowerKnee) {
            pBlock[n] = static_cast<float>((static_cast<double>(x) * qa + qb) * x + qc);
        } else if (x < upperKnee) {
            continue;
        } else if (x < upperEnd) {
            pBlock[n] = static_cast<float>((static_cast<double>(x) * pa + pb) * x + pc);
        } else {
            pBlock[n] = upperOutput;
        }
        ++nCount;
    }
    return nCount;
}
