#include "toolkit/vpaGuiEngine.h"

#include "toolkit/epiAlert.h"

#include <cstdio>

vpaGuiEngine::vpaGuiEngine() = default;

vpaGuiEngine::~vpaGuiEngine()
{
    mCasts.Clear();
    if (mFile.IsOpen())
        mFile.Close();
}

bool vpaGuiEngine::OpenResources(const std::string& sToolkitPath, bool bShowError)
{
    mCasts.Clear();
    if (mFile.IsOpen())
        mFile.Close();
    mFile.SetReadOnly(true);
    if (mFile.SetPath(sToolkitPath) && mFile.Open()) {
        mCasts.SetResFile(&mFile);
        mCasts.Build();
        return true;
    }
    if (bShowError) {
        char acText[400];
        std::snprintf(acText, sizeof(acText),
            "Sorry, the required application resources file '%s' can't be found. Can't continue.",
            sToolkitPath.c_str());
        epi::Alert(acText);
    }
    return false;
}
