// What the skin fuzzer does with one input: the bytes become a memory-only
// container, which is read, decoded cast by cast and layout by layout, drawn
// into an off-screen map, edited and written back. Shared by the libFuzzer
// target and the corpus replay test.
#pragma once

#include "toolkit/EpiCasts.h"
#include "toolkit/epiAlert.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiLayout.h"
#include "toolkit/epiRamResFile.h"

#include <cstddef>
#include <cstdint>

inline int SilentSkinAlert(const char*, const char*, int)
{
    return 1;
}

inline void FeedSkinBytes(const uint8_t* pData, size_t nSize)
{
    if (nSize > (4u << 20))
        return;
    epi::SetAlertHook(SilentSkinAlert);
    epiRamResFile file;
    if (!file.CreateFromMemory(static_cast<int32_t>(nSize), pData) || !file.AttachSize(static_cast<int32_t>(nSize)))
        return;

    EpiCasts casts;
    casts.SetResFile(&file);
    casts.Build();
    epiOffmap target;
    target.Allocate(1, 48, 32);
    epiOffmap::SetDrawTarget(&target);
    for (int i = 0; i < casts.Count(); ++i) {
        EpiOneCast* pNth = casts.GetNth(i);
        EpiOneCast* pCast = casts.GetCast(pNth->GetId());
        if (pCast == nullptr)
            continue;
        for (uint32_t nType : { kEpiTypePixels8, kEpiTypePixels16, kEpiTypePixels32, kEpiTypeMask, kEpiTypeCastHeader })
            if (epiOffmap* pMap = pCast->GetMapFor(nType))
                pMap->GetPixel(pMap->GetWidth() - 1, pMap->GetHeight() - 1);
        if (pCast->IsColourLoaded()) {
            pCast->Draw(-3, 5);
            EpiBlit(pCast->GetColourMap(), SEpiRect { -2, -2, 9, 40 }, target, SEpiRect { 1, 1, 30, 20 },
                pCast->IsMaskLoaded() ? &pCast->GetMaskMap() : nullptr);
        }
        casts.Purge(pNth->GetId());
    }
    epiOffmap::SetDrawTarget(nullptr);

    const int nLayouts = file.CountOfType(kEpiTypeLayout);
    for (int i = 0; i < nLayouts; ++i) {
        epiLayout layout;
        if (layout.Load(file, file.IdOfNth(kEpiTypeLayout, i)))
            layout.Serialise(100);
    }

    // Edits write into the image; what closes must open again.
    const uint8_t aBytes[5] = { 1, 2, 3, 4, 5 };
    file.Put(aBytes, 5, kEpiTypeMask, 1);
    file.Remove(kEpiTypeCastHeader, file.IdOfNth(kEpiTypeCastHeader, 0));
    if (file.Close() && file.GetBufferSize() > 0) {
        epiRamResFile again;
        again.CreateFromMemory(file.GetBufferSize(), file.GetBuffer());
        again.AttachSize(file.GetBufferSize());
    }
}
