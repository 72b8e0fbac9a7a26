#include "toolkit/EpiCasts.h"

#include "toolkit/epiAlert.h"
#include "toolkit/epiDiskResFile.h"

#include <cstdio>
#include <new>

EpiCasts::EpiCasts()
    : mpFile(nullptr)
{ }

EpiCasts::~EpiCasts()
{
    Clear();
}

void EpiCasts::SetResFile(epiDiskResFile* pFile)
{
    mpFile = pFile;
}

bool EpiCasts::Build()
{
    mCasts.clear();
    if (mpFile == nullptr || !mpFile->IsOpen())
        return false;
    const int nCasts = mpFile->CountOfType(kEpiTypeCastHeader);
    mCasts.reserve(static_cast<size_t>(nCasts));
    for (int i = 0; i < nCasts; ++i) {
        std::unique_ptr<EpiOneCast> pCast(new (std::nothrow) EpiOneCast(this, mpFile->IdOfNth(kEpiTypeCastHeader, i)));
        if (!pCast) {
            char acText[64];
            std::snprintf(acText, sizeof(acText), "%s %ld <%lx>", "Couldn't alloc cast", static_cast<long>(i),
                static_cast<unsigned long>(i));
            epi::Alert(acText, "ERROR NUM");
            continue;
        }
        pCast->ReadHeader();
        mCasts.push_back(std::move(pCast));
    }
    return true;
}

unsigned EpiCasts::IndexOf(int32_t iCastId) const
{
    for (size_t i = 0; i < mCasts.size() && i < kNotFound; ++i)
        if (mCasts[i]->GetId() == iCastId)
            return static_cast<unsigned>(i);
    return kNotFound;
}

EpiOneCast* EpiCasts::GetNth(int n) const
{
    return n >= 0 && n < Count() ? mCasts[static_cast<size_t>(n)].get() : nullptr;
}

EpiOneCast* EpiCasts::Loaded(int32_t iCastId)
{
    const unsigned nIndex = IndexOf(iCastId);
    if (nIndex == kNotFound)
        return nullptr;
    EpiOneCast* pCast = mCasts[nIndex].get();
    if (!pCast->IsColourLoaded() && !pCast->IsMaskLoaded() && !pCast->Load())
        return nullptr;
    return pCast;
}

EpiOneCast* EpiCasts::GetCast(int32_t iCastId)
{
    return Loaded(iCastId);
}

epiOffmap* EpiCasts::GetColourMap(int32_t iCastId)
{
    EpiOneCast* pCast = Loaded(iCastId);
    return pCast != nullptr && pCast->IsColourLoaded() ? &pCast->GetColourMap() : nullptr;
}

epiOffmap* EpiCasts::GetMaskMap(int32_t iCastId)
{
    EpiOneCast* pCast = Loaded(iCastId);
    return pCast != nullptr && pCast->IsMaskLoaded() ? &pCast->GetMaskMap() : nullptr;
}

void EpiCasts::Purge(int32_t iCastId)
{
    const unsigned nIndex = IndexOf(iCastId);
    if (nIndex != kNotFound)
        mCasts[nIndex]->Unload();
}

void EpiCasts::DrawCast(int32_t iCastId, int x, int y)
{
    EpiOneCast* pCast = Loaded(iCastId);
    if (pCast != nullptr)
        pCast->Draw(x, y);
}

void EpiCasts::Clear()
{
    mCasts.clear();
}
