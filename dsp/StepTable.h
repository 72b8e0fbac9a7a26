// Step tables: 128 values per parameter, written as runs "steps first..last
// from a value by an increment".
#pragma once

#include <initializer_list>

constexpr int kNrOfSteps = 128;

struct SStepRun {
    int nFirst; // first step of the run
    int nLast; // last step of the run (inclusive)
    double fFrom; // value of the first step
    double fBy; // increment per step
};

class CStepTable {
public:
    CStepTable(std::initializer_list<SStepRun> runs)
    {
        for (float& f : mValues)
            f = 0.0f;
        for (const SStepRun& run : runs) {
            for (int i = run.nFirst; i <= run.nLast && i < kNrOfSteps; ++i)
                mValues[i] = static_cast<float>(run.fFrom + (i - run.nFirst) * run.fBy);
        }
    }

    // Steps outside 0..127 take the nearest end of the table.
    float operator[](int nStep) const
    {
        if (nStep < 0)
            nStep = 0;
        if (nStep >= kNrOfSteps)
            nStep = kNrOfSteps - 1;
        return mValues[nStep];
    }

private:
    float mValues[kNrOfSteps];
};
