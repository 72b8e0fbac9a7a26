#include "ProcessSettings.h"

#include "ToolError.h"
#include "processor/ChainOrder.h"

#include <strings.h>

namespace {

constexpr int kPatchParameter = 1;

int ModuleOfName(const std::string& sName)
{
    static const struct {
        const char* pszName;
        int nModule;
    } kNames[] = {
        { "eq", 0 },
        { "equaliser", 0 },
        { "equalizer", 0 },
        { "comp", 1 },
        { "compressor", 1 },
        { "lim", 2 },
        { "limiter", 2 },
        { "clip", 3 },
        { "clipper", 3 },
    };
    for (const auto& name : kNames) {
        if (::strcasecmp(name.pszName, sName.c_str()) == 0)
            return name.nModule;
    }
    return -1;
}

} // namespace

int CProcessSettings::ParseOrder(const std::string& sOrder)
{
    int order[4];
    int nCount = 0;
    size_t nStart = 0;
    while (nStart <= sOrder.size()) {
        const size_t nComma = sOrder.find(',', nStart);
        const std::string sName
            = sOrder.substr(nStart, nComma == std::string::npos ? std::string::npos : nComma - nStart);
        const int nModule = ModuleOfName(sName);
        if (nModule < 0)
            throw UsageError("--order: '" + sName + "' is not a module (eq, comp, lim, clip)");
        if (nCount == 4)
            throw UsageError("--order names more than four modules");
        order[nCount++] = nModule;
        if (nComma == std::string::npos)
            break;
        nStart = nComma + 1;
    }
    const int nRow = nCount == 4 ? FindChainOrder(order) : -1;
    if (nRow < 0)
        throw UsageError("--order must name each of eq, comp, lim and clip once, e.g. --order eq,comp,lim,clip");
    return nRow;
}

void CProcessSettings::Prepare(const SSettingsRequest& request, CVantorEngine& engine, const CPresetStore& store)
{
    mnMode = request.nMode;
    mpStore = &store;
    mWarnings.clear();
    mAssignments.clear();
    {
        ProcessPtr pProcess = engine.CreateProcess(mnMode, 2, 44100.0, 64);
        mParameters.Load(*pProcess);
    }
    if (!request.sOrder.empty()) {
        if (mnMode != kModeChain)
            throw UsageError("--order needs --mode chain (a single module has no order)");
        mnOrderRow = ParseOrder(request.sOrder);
    }
    for (const std::string& sSet : request.sets) {
        SAssignment assignment {};
        std::string sWarning, sError;
        if (!mParameters.ParseAssignment(sSet, assignment.nIndex, assignment.nValue, sWarning, sError))
            throw UsageError("--set " + sError);
        if (!sWarning.empty())
            mWarnings.push_back(sWarning);
        const SParameterText& parameter = mParameters.Get(assignment.nIndex);
        if (!parameter.bActive)
            mWarnings.push_back(parameter.names.front() + " does nothing in " + GetModeName(mnMode) + " mode");
        mAssignments.push_back(assignment);
    }
    msPresetPath = request.sPreset.empty() ? std::string() : store.Resolve(request.sPreset);
    if (!msPresetPath.empty()) {
        // A trial load proves the file sound before any audio is touched.
        ProcessPtr pProcess = engine.CreateProcess(mnMode, 2, 44100.0, 64);
        store.Load(msPresetPath, *pProcess, mnMode, mParameters);
    }
}

void CProcessSettings::Apply(vpa::IProcess& process) const
{
    if (!msPresetPath.empty())
        mpStore->Load(msPresetPath, process, mnMode, mParameters);
    if (mnOrderRow >= 0)
        process.SetParameter(kPatchParameter, mnOrderRow);
    for (const SAssignment& assignment : mAssignments)
        process.SetParameter(static_cast<unsigned>(assignment.nIndex), assignment.nValue);
}
