// Base of the processing chain's front: the step and value last given for
// each of the 48 chain-wide parameter indices, and the chain's operations
// (each does nothing here).
#pragma once

constexpr int kNrOfChainParameters = 48;

class VnBase {
public:
    VnBase()
    {
        for (int i = 0; i < kNrOfChainParameters; ++i) {
            maRaw[i] = 0;
            mafValue[i] = 0.0f;
        }
    }
    virtual ~VnBase() = default;
    VnBase(const VnBase&) = delete;
    VnBase& operator=(const VnBase&) = delete;

    virtual void Reset() { }
    virtual void Setup(float, int, int) { }
    virtual void SetParameter(int, float) { }
    virtual float SetParameterStep(int, int) { return 0.0f; }
    // Host blocks of any length: ppOut/ppIn hold one pointer per channel,
    // ppTraces two trace outputs (compressor, limiter) of nFrames each.
    virtual void Process(float**, float**, int, float**) { }
    virtual int GetRaw(int nIndex) { return IsIndex(nIndex) ? maRaw[nIndex] : 0; }
    virtual float GetValue(int nIndex) { return IsIndex(nIndex) ? mafValue[nIndex] : 0.0f; }
    virtual void SetOrder(const int*) { }
    virtual void SetBypass(const int*) { }
    virtual float GetMeter(int) { return 0.0f; }
    virtual float LookupStep(int, int) { return 0.0f; }

protected:
    static bool IsIndex(int nIndex) { return nIndex >= 0 && nIndex < kNrOfChainParameters; }

    int maRaw[kNrOfChainParameters]; // step last given per index
    float mafValue[kNrOfChainParameters]; // value last given per index (engineering units)
};
