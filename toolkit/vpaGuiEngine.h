// The toolkit engine: the skin resource file, opened read-only, and the cast
// table built from it.
#pragma once

#include "toolkit/EpiCasts.h"
#include "toolkit/epiDiskResFile.h"

#include <string>

class vpaGuiEngine {
public:
    vpaGuiEngine();
    ~vpaGuiEngine();
    vpaGuiEngine(const vpaGuiEngine&) = delete;
    vpaGuiEngine& operator=(const vpaGuiEngine&) = delete;

    // Opens the resource file (toolkit path form) and builds the cast table.
    // On failure, with bShowError, alerts "Sorry, the required application
    // resources file '...' can't be found. Can't continue.".
    bool OpenResources(const std::string& sToolkitPath, bool bShowError);
    bool IsOpen() const { return mFile.IsOpen(); }
    epiDiskResFile& GetResFile() { return mFile; }
    EpiCasts& GetCasts() { return mCasts; }

private:
    epiDiskResFile mFile;
    EpiCasts mCasts;
};
