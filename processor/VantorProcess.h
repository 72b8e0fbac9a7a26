// The mastering process: what CVantorPlugIn::CreateProcess hands to a host.
// It owns the signal chain, the parameter data manager with one data unit
// per parameter, the needle ballistics of the two gain-reduction meters and
// the clip-indicator holds.
#pragma once

#include "AnalogueVU.h"
#include "IVantorProcess.h"
#include "host-interface/vpaMeters.h"
#include "OutputMeter.h"
#include "host-interface/vpaProcess.h"
#include "parameters/DataManager.h"

#include <atomic>
#include <mutex>

class CVantorPlugIn;
class IVantorGUI;
class VnSystem;

class CVantorProcess : public virtual vpa::CProcess,
                       public virtual IVantorProcess,
                       public virtual adl::IDataManagerCallback,
                       public virtual vpa::IMeters {
public:
    // nType: 0 equaliser, 1 compressor, 2 limiter, 3 clipper, 4 (and any
    // other value) the full chain.
    CVantorProcess(CVantorPlugIn* pPlugIn, unsigned nType);
    ~CVantorProcess() override;

    // Check after construction: false when memory ran out on the way.
    bool IsComplete() const;

    // vpa::IProcess
    void Start() override;
    void Stop() override;
    void SetMaxBufferSize(unsigned nFrames) override;
    void SetSampleFreq(float fHz) override;
    void ProcessInPlace(float** ppfBuffers, unsigned nFrames, int* pnFlag) override;
    void Process(float** ppfOut, float** ppfIn, unsigned nFrames, int* pnFlag) override;
    int GetParameter(unsigned nIndex) override;
    void SetParameter(unsigned nIndex, int nValue) override;
    unsigned GetChunkSize() override;
    void SetChunk(const void* pData, unsigned nBytes) override;
    void GetChunk(void* pData) override;

    // The process's own operations.
    virtual void LoadPatch(int nPatch);
    virtual void SetEQBandActive(int nBand, int nOn);
    virtual void RefreshEQBands();
    virtual void BuildParameterInfos();
    virtual void CreateDataUnits();

    // IVantorProcess
    adl::IDataManager* GetDataManager() override;
    void SetDSPParameter(int nDSPIndex, float fValue) override;
    void UpdateModuleEnables() override;
    float ScaleValue(unsigned nIndex, int nValue) override;
    unsigned GetMode() override;
    float GetMeter(unsigned nWhich) override;
    void GetEQCurve(float* pfCurve) override;
    void InvalidateEQCurve() override;
    void SavePreset(std::string sPath) override;
    void LoadPreset(std::string sName, int nModule, bool bInPresetsFolder) override;
    void LoadModuleDefault(int nModule) override;
    void MoveModule(int nModule, int nPosition) override;
    void UpdateGUIChainOrder() override;

    // adl::IDataManagerCallback
    void KeyValueChanged(int nKey, int nValue) override;
    void UnitValueChanged(int nIndex, int nValue) override;

    // vpa::IMeters: the five readings of GetMeter, for hosts outside the
    // library (the LV2 wrapper's meter ports).
    unsigned GetNrOfMeters() override;
    float GetMeterValue(unsigned nWhich) override;

    // The longest time (microseconds) a user-interface call has held the
    // chain lock so far; for the benchmark.
    double GetLongestUserHoldMicroseconds() const { return mnLongestUserHoldNs.load() / 1000.0; }

    // Longest slice the chain gets at once.
    static constexpr unsigned kMaxSlice = 8192;
    // Processing slices that make up 1.5 s at the current slice length,
    // shared by every process of the library.
    static std::atomic<int> gnClipHoldSlices;

private:
    IVantorGUI* BoundEditor();
    void FreeMeterBuffers();

    unsigned mnType;
    CVantorPlugIn* mpPlugIn;           // not owned
    adl::IDataManager* mpDataManager;  // owned
    VnSystem* mpSystem;                // owned
    float* mpfMeterBuffer[2];          // gain traces of one slice (audio thread)
    unsigned mnMeterBufferSize;        // floats in each meter buffer
    CAnalogueVU mVU[2];                // needle ballistics (audio thread)
    std::atomic<float> mfNeedle[2];    // needle values; 1.0 = rest
    std::atomic<int> mnClipHold[3];    // clip indicator holds, in slices
    std::atomic<bool> mbSettleNeedles{true}; // the ballistics restart from rest
    COutputMeter mOutputMeter;         // peaks and loudness of the output

    // Keeps user-interface changes to the chain apart from processing: the
    // audio thread holds it for one slice, the user-interface thread for one
    // chain call.
    std::mutex mChainLock;
    // Longest time the user-interface thread held the lock (nanoseconds).
    std::atomic<long> mnLongestUserHoldNs{0};

    // Holds the chain lock for one chain call of the user-interface thread
    // and keeps the longest hold.
    class CUserHold {
    public:
        explicit CUserHold(CVantorProcess& process);
        ~CUserHold();
        CUserHold(const CUserHold&) = delete;
        CUserHold& operator=(const CUserHold&) = delete;

    private:
        CVantorProcess& mProcess;
        long mnStartNs;
    };
};
