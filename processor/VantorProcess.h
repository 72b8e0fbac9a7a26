// The mastering process: what CVantorPlugIn::CreateProcess hands to a host.
// It owns the signal chain, the parameter data manager with one data unit
// per parameter, the needle ballistics of the two gain-reduction meters and
// the clip-indicator holds.
//
// Threads: the audio thread runs Process; every other operation runs on the
// user-interface thread (one at a time; a host may also call them from its
// audio thread between two blocks). The audio thread never waits for the
// other: changes are made whole on a second chain that only the
// user-interface thread touches (the design chain), captured into a spare
// snapshot and published through a wait-free handoff; the audio thread
// adopts the newest snapshot at the start of every slice. Meter words and
// clip counters are atomics.
#pragma once

#include "AnalogueVU.h"
#include "IVantorProcess.h"
#include "dsp/ChainSnapshot.h"
#include "host-interface/vpaMeters.h"
#include "OutputMeter.h"
#include "host-interface/vpaProcess.h"
#include "parameters/DataManager.h"
#include "support/Handoff.h"

#include <atomic>

class CVantorPlugIn;
class IHost;
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
    void SetNrOfChannelsIn(unsigned n) override;
    void SetNrOfChannelsOut(unsigned n) override;
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

    // vpa::IMeters: the readings of GetMeter, for hosts outside the
    // library (the LV2 wrapper's meter ports).
    unsigned GetNrOfMeters() override;
    float GetMeterValue(unsigned nWhich) override;

    // A change made of several chain calls (a parameter, a state block, a
    // preset) reaches the audio whole: the audio thread sees the chain as it
    // was before the outermost change began or as it is after it ended.
    // Changes nest; the outermost one publishes. User-interface thread.
    class CChange {
    public:
        explicit CChange(CVantorProcess& process);
        ~CChange();
        CChange(const CChange&) = delete;
        CChange& operator=(const CChange&) = delete;

    private:
        CVantorProcess& mProcess;
    };

    // Longest slice the chain gets at once.
    static constexpr unsigned kMaxSlice = 8192;
    // Processing slices that make up 1.5 s at the current slice length,
    // shared by every process of the library.
    static std::atomic<int> gnClipHoldSlices;

private:
    // What the audio thread takes over from the user-interface thread in one
    // piece: the chain's design and the host's settings.
    struct SSettings {
        SChainSnapshot chain;
        float fSampleRate;
        unsigned nChannelsIn; // 1 or 2
        unsigned nChannelsOut; // 1 or 2
        unsigned nMaxFrames; // largest block the host announced
    };

    IVantorGUI* BoundEditor();
    void BeginChange();
    void EndChange();
    void Publish();
    void AdoptPublishedSettings();
    void ProcessSlice(float** ppfOut, float** ppfIn, unsigned nOffset, unsigned nSlice);

    unsigned mnType;
    CVantorPlugIn* mpPlugIn; // not owned; may be destroyed before the process
    IHost* mpHost; // not owned; the plug-in's host, kept for the process's lifetime
    adl::IDataManager* mpDataManager; // owned
    VnSystem* mpSystem; // owned; the chain the audio thread runs
    VnSystem* mpDesign; // owned; the user-interface thread's copy, where changes are made
    float* mpfMeterBuffer[2]; // gain traces of one slice (audio thread), kMaxSlice each
    float* mpfFoldBuffer; // second output channel when one output takes two (audio thread)
    CAnalogueVU mVU[2]; // needle ballistics (audio thread)
    std::atomic<float> mfNeedle[2]; // needle values; 1.0 = rest
    std::atomic<float> mfLowestNeedle[2]; // lowest needle values since the last read, at most 1.0
    std::atomic<int> mnClipHold[3]; // clip indicator holds, in slices
    std::atomic<bool> mbSettleNeedles { true }; // the ballistics restart from rest
    COutputMeter mOutputMeter; // peaks and loudness of the output

    // User-interface side of the handoff.
    utils::CHandoff<SSettings> mHandoff;
    int mnChangeDepth = 0; // nesting of CChange

    // Audio side: the settings adopted last (a copy of the handoff's slot).
    float mfAudioSampleRate = 0.0f;
    unsigned mnAudioChannelsIn = 1;
    unsigned mnAudioChannelsOut = 1;
    unsigned mnAudioMaxFrames = 0;
};
