// A minimal concrete process, as a host-side plug-in author would write one
// on top of vpa::CProcess: it keeps stored values and records every
// SetParameter call.
#pragma once

#include "host-interface/vpaProcess.h"

#include <utility>
#include <vector>

class CTestProcess : public virtual vpa::CProcess {
public:
    void Process(float**, float**, unsigned, int*) override { }
    int GetParameter(unsigned nIndex) override { return nIndex < mValues.size() ? mValues[nIndex] : 0; }
    void SetParameter(unsigned nIndex, int nValue) override
    {
        mCalls.emplace_back(nIndex, nValue);
        if (nIndex < mValues.size())
            mValues[nIndex] = nValue;
    }
    unsigned GetChunkSize() override { return GetChunkRecordsSize(); }
    void SetChunk(const void* pData, unsigned nBytes) override { ApplyChunkRecords(pData, nBytes); }
    void GetChunk(void* pData) override { WriteChunkRecords(pData); }

    // Adds a numeric parameter with heap texts, as a real process builds them.
    void AddNumeric(const char* pszName, int nMin, int nMax, int nDefault)
    {
        auto* pInfo = new vpa::SParameterInfo();
        pInfo->pszName = CopyText(pszName);
        pInfo->pszUnit = CopyText("dB");
        pInfo->nMin = nMin;
        pInfo->nMax = nMax;
        pInfo->nDefault = nDefault;
        pInfo->nDecimals = 1;
        pInfo->pszMinText = CopyText("Off");
        pInfo->nCurve = 1;
        pInfo->nCurveParam = 1000;
        pInfo->bActive = true;
        AddParameterInfo(pInfo);
        mValues.push_back(nDefault);
    }

    std::vector<int> mValues;
    std::vector<std::pair<unsigned, int>> mCalls;
};
