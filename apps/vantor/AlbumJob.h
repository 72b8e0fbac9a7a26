// --album: every file of the run gets the same drive, found on the album as
// a whole (the files' loudness measured together, as one programme), so the
// album meets the target and the files keep their loudness relative to each
// other. Each input is read once and parked on disk; the search then runs
// every file through the chain for each drive it tries (whole files: an
// album is searched as it will be heard). Files that fail to open are
// reported and left out of the album.
#pragma once

#include "MasteringJob.h"
#include "ProcessSettings.h"
#include "ProgressBar.h"
#include "VantorEngine.h"

#include <vector>

class CAlbumJob {
public:
    CAlbumJob(CVantorEngine& engine, const CProcessSettings& settings, std::vector<SJobRequest> requests,
        CProgressBar& progress);

    // Never throws: failures come back in the results, one per request.
    std::vector<SJobResult> Run();

private:
    CVantorEngine& mEngine;
    const CProcessSettings& mSettings;
    std::vector<SJobRequest> mRequests;
    CProgressBar& mProgress;
};
