// The cast table: one EpiOneCast per "MPIX" resource of the open resource
// file, in directory order, addressed by cast id. Pixels load lazily.
#pragma once

#include "toolkit/EpiOneCast.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class epiDiskResFile;

class EpiCasts {
public:
    static constexpr unsigned kNotFound = 0xFFFF;

    EpiCasts();
    ~EpiCasts();
    EpiCasts(const EpiCasts&) = delete;
    EpiCasts& operator=(const EpiCasts&) = delete;

    // Uses an open resource file the caller keeps open (the engine's).
    void SetResFile(epiDiskResFile* pFile);
    epiDiskResFile* GetResFile() const { return mpFile; }
    // Builds the table from the resource file; casts whose header cannot be
    // read are kept but have no size and no pixels.
    bool Build();

    unsigned IndexOf(int32_t iCastId) const;
    int Count() const { return static_cast<int>(mCasts.size()); }
    EpiOneCast* GetNth(int n) const;
    // Load if needed; null when the id is unknown or nothing loads.
    EpiOneCast* GetCast(int32_t iCastId);
    epiOffmap* GetColourMap(int32_t iCastId);
    epiOffmap* GetMaskMap(int32_t iCastId);
    void Purge(int32_t iCastId);
    // Draws the whole cast with its top left at (x, y) of the drawing target.
    void DrawCast(int32_t iCastId, int x, int y);
    // Destroys the casts.
    void Clear();

private:
    EpiOneCast* Loaded(int32_t iCastId);

    std::vector<std::unique_ptr<EpiOneCast>> mCasts;
    epiDiskResFile* mpFile;
};
