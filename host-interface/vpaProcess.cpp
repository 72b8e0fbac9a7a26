#include "vpaProcess.h"

#include "support/RYXException.h"

#include <cstring>
#include <new>

namespace vpa {

IProcess::IProcess() = default;
IProcess::IProcess(const IProcess&)
    : IObject()
    , CObject()
{ }
IProcess& IProcess::operator=(const IProcess&) = default;
IProcess::~IProcess() = default;

void IProcess::Timer() { }

CProcess::CProcess()
    : mpGUI(nullptr)
    , mnChannelsIn(0)
    , mnChannelsOut(0)
    , mnMaxBufferSize(0)
    , mfSampleFreq(0.0f)
    , mbPlaying(false)
{ }

// A copy takes the host's settings only: descriptors stay owned by the
// original, and an editor is bound to one process.
CProcess::CProcess(const CProcess& other)
    : IObject()
    , CObject()
    , IProcess()
    , mpGUI(nullptr)
    , mnChannelsIn(other.mnChannelsIn)
    , mnChannelsOut(other.mnChannelsOut)
    , mnMaxBufferSize(other.mnMaxBufferSize)
    , mfSampleFreq(other.mfSampleFreq)
    , mbPlaying(other.mbPlaying)
{ }

CProcess& CProcess::operator=(const CProcess& other)
{
    if (this == &other)
        return *this;
    mnChannelsIn = other.mnChannelsIn;
    mnChannelsOut = other.mnChannelsOut;
    mnMaxBufferSize = other.mnMaxBufferSize;
    mfSampleFreq = other.mfSampleFreq;
    mbPlaying = other.mbPlaying;
    return *this;
}

CProcess::~CProcess()
{
    FreeParameterInfos();
}

void CProcess::FreeParameterInfos()
{
    for (unsigned i = 0; i < mParameterInfos.GetCount(); ++i) {
        SParameterInfo* pInfo = mParameterInfos[i];
        delete[] pInfo->pszName;
        delete[] pInfo->pszUnit;
        delete[] pInfo->pszMinText;
        delete[] pInfo->pszMaxText;
        delete[] pInfo->pszValueTexts;
        if (pInfo->nCurve == 2)
            delete[] reinterpret_cast<char*>(pInfo->nCurveParam);
        delete pInfo;
    }
    mParameterInfos.Clear();
}

void CProcess::SetGUI(IGUI* pGUI)
{
    mpGUI = pGUI;
}

void CProcess::Initialize() { }
void CProcess::CleanUp() { }

unsigned CProcess::GetFeatures()
{
    return 0;
}

void CProcess::Start()
{
    mbPlaying = true;
}

void CProcess::Stop()
{
    mbPlaying = false;
}

// The default answers "any number of channels", not the stored count.
unsigned CProcess::GetNrOfChannelsOut()
{
    return 0xFFFFFFFFu;
}

void CProcess::SetNrOfChannelsIn(unsigned n)
{
    mnChannelsIn = n;
}

void CProcess::SetNrOfChannelsOut(unsigned n)
{
    mnChannelsOut = n;
}

void CProcess::SetMaxBufferSize(unsigned nFrames)
{
    mnMaxBufferSize = nFrames;
}

void CProcess::SetSampleFreq(float fHz)
{
    mfSampleFreq = fHz;
}

void CProcess::ProcessInPlace(float**, unsigned, int*)
{
    utils::ThrowRYXException(utils::kProgramFlow, "ProcessInPlace(...) not defined for this process");
}

unsigned CProcess::GetNrOfParameters()
{
    return mParameterInfos.GetCount();
}

// Copies the record field by field; the text pointers stay the process's.
void CProcess::GetParameterInfo(unsigned nIndex, SParameterInfo* pInfo)
{
    *pInfo = *mParameterInfos[nIndex];
}

void CProcess::InputMIDI(const SMIDIEvent*, unsigned) { }

void CProcess::Timer() { }

IGUI* CProcess::GetGUI()
{
    return mpGUI;
}

void CProcess::AddParameterInfo(SParameterInfo* pInfo)
{
    mParameterInfos.Append(pInfo);
}

bool CProcess::IsPlaying() const
{
    return mbPlaying;
}

char* CProcess::CopyText(const char* pszText)
{
    if (pszText == nullptr)
        return nullptr;
    const size_t nLength = std::strlen(pszText) + 1;
    char* pszCopy = new (std::nothrow) char[nLength];
    if (pszCopy != nullptr)
        std::memcpy(pszCopy, pszText, nLength);
    return pszCopy;
}

unsigned CProcess::GetChunkRecordsSize()
{
    return 8u * GetNrOfParameters();
}

void CProcess::WriteChunkRecords(void* pData)
{
    unsigned char* pOut = static_cast<unsigned char*>(pData);
    const unsigned nCount = GetNrOfParameters();
    for (unsigned i = 0; i < nCount; ++i) {
        const int32_t record[2] = { static_cast<int32_t>(i), static_cast<int32_t>(GetParameter(i)) };
        std::memcpy(pOut + 8u * i, record, sizeof(record));
    }
}

void CProcess::ApplyChunkRecords(const void* pData, unsigned nBytes)
{
    const unsigned char* pIn = static_cast<const unsigned char*>(pData);
    const unsigned nRecords = nBytes / 8u;
    for (unsigned i = 0; i < nRecords; ++i) {
        int32_t record[2];
        std::memcpy(record, pIn + 8u * i, sizeof(record));
        SetParameter(static_cast<unsigned>(record[0]), record[1]);
    }
}

} // namespace vpa
