#include "toolkit/epiAlert.h"

#include <cstdio>

namespace epi {

namespace {

AlertHook gpAlertHook = nullptr;

} // namespace

AlertHook SetAlertHook(AlertHook pHook)
{
    AlertHook pOld = gpAlertHook;
    gpAlertHook = pHook;
    return pOld;
}

int Alert(const char* pszText, const char* pszTitle, int nKind)
{
    if (pszTitle == nullptr)
        pszTitle = "Attenzione";
    nKind = nKind < 0 ? 0 : (nKind > 2 ? 2 : nKind);
    if (gpAlertHook != nullptr)
        return gpAlertHook(pszText, pszTitle, nKind);
    std::fprintf(stderr, "%s: %s\n", pszTitle, pszText != nullptr ? pszText : "");
    return 1;
}

} // namespace epi
