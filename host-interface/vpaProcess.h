// The processing face: channel layout, block size, sample rate, start/stop,
// audio blocks, parameters one by one and as a state block ("chunk").
#pragma once

#include "support/GrowArray.h"
#include "vpaObject.h"

#include <cstdint>

namespace vpa {

class IGUI;

// MIDI events are only passed through by pointer; their layout is the host's.
struct SMIDIEvent;

// Descriptor of one parameter. The strings and the taper block belong to the
// process that built the record; the record's own destructor frees nothing.
// Hosts make these records themselves to receive copies, so everything the
// record does is defined here, in the host's own code too.
struct VPA_EXPORT SParameterInfo {
    SParameterInfo() = default;
    SParameterInfo(const SParameterInfo& other) = default;
    SParameterInfo& operator=(const SParameterInfo& other) = default;
    virtual ~SParameterInfo() = default;

    char* pszName = nullptr; // names, longest first, separated by '@'
    char* pszUnit = nullptr; // "Hz", "dB", "Ms" or null
    int32_t nType = 0; // 0 numeric range, 1 list of named values
    int32_t nMin = 0;
    int32_t nMax = 0;
    int32_t nDefault = 0;
    int32_t nDecimals = 0; // engineering value = stored value / 10^nDecimals
    char* pszMinText = nullptr; // shown instead of the number at nMin, or null
    char* pszMaxText = nullptr; // shown instead of the number at nMax, or null
    int32_t nCurve = 0; // 0 linear, 1 logarithmic, 2 nCurveParam is a block
    intptr_t nCurveParam = 0; // taper parameter, or the block's address for curve 2
    char* pszValueTexts = nullptr; // names of nMin..nMax separated by '@' (nType 1)
    bool bActive = false; // the parameter's module runs in this process
};

class VPA_EXPORT IProcess : public virtual CObject {
public:
    IProcess();
    IProcess(const IProcess& other);
    IProcess& operator=(const IProcess& other);
    ~IProcess() override;

    virtual void SetGUI(IGUI* pGUI) = 0;
    virtual void Initialize() = 0;
    virtual void CleanUp() = 0;
    virtual unsigned GetFeatures() = 0;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual unsigned GetNrOfChannelsOut() = 0;
    virtual void SetNrOfChannelsIn(unsigned n) = 0;
    virtual void SetNrOfChannelsOut(unsigned n) = 0;
    virtual void SetMaxBufferSize(unsigned nFrames) = 0;
    virtual void SetSampleFreq(float fHz) = 0;
    virtual void ProcessInPlace(float** ppfBuffers, unsigned nFrames, int* pnFlag) = 0;
    virtual void Process(float** ppfOut, float** ppfIn, unsigned nFrames, int* pnFlag) = 0;
    virtual unsigned GetNrOfParameters() = 0;
    virtual void GetParameterInfo(unsigned nIndex, SParameterInfo* pInfo) = 0;
    virtual int GetParameter(unsigned nIndex) = 0;
    virtual void SetParameter(unsigned nIndex, int nValue) = 0;
    virtual unsigned GetChunkSize() = 0;
    virtual void SetChunk(const void* pData, unsigned nBytes) = 0;
    virtual void GetChunk(void* pData) = 0;
    virtual void InputMIDI(const SMIDIEvent* pEvents, unsigned nEvents) = 0;
    virtual void Timer();
};

class VPA_EXPORT CProcess : public virtual IProcess {
public:
    CProcess();
    CProcess(const CProcess& other);
    CProcess& operator=(const CProcess& other);
    ~CProcess() override;

    // IProcess operations with a default behaviour.
    void SetGUI(IGUI* pGUI) override;
    void Initialize() override;
    void CleanUp() override;
    unsigned GetFeatures() override;
    void Start() override;
    void Stop() override;
    unsigned GetNrOfChannelsOut() override;
    void SetNrOfChannelsIn(unsigned n) override;
    void SetNrOfChannelsOut(unsigned n) override;
    void SetMaxBufferSize(unsigned nFrames) override;
    void SetSampleFreq(float fHz) override;
    void ProcessInPlace(float** ppfBuffers, unsigned nFrames, int* pnFlag) override;
    unsigned GetNrOfParameters() override;
    void GetParameterInfo(unsigned nIndex, SParameterInfo* pInfo) override;
    void InputMIDI(const SMIDIEvent* pEvents, unsigned nEvents) override;
    void Timer() override;

    // CProcess's own operations.
    virtual IGUI* GetGUI();
    virtual void AddParameterInfo(SParameterInfo* pInfo);
    virtual bool IsPlaying() const;

    // A heap copy of a text for a descriptor (freed with the descriptor), or
    // null for null.
    static char* CopyText(const char* pszText);

protected:
    // The state block as records {int32 index, int32 stored value} in the
    // machine's byte order, one per parameter in index order. Concrete
    // processes may build their chunk operations on these.
    unsigned GetChunkRecordsSize();
    void WriteChunkRecords(void* pData);
    // Applies the first nBytes / 8 records in order through SetParameter.
    void ApplyChunkRecords(const void* pData, unsigned nBytes);

    IGUI* mpGUI;
    unsigned mnChannelsIn;
    unsigned mnChannelsOut;
    unsigned mnMaxBufferSize;
    float mfSampleFreq;
    utils::TGrowArray<SParameterInfo*> mParameterInfos;
    bool mbPlaying;

private:
    void FreeParameterInfos();
};

} // namespace vpa
