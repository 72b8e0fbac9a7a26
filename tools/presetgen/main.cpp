// vantor-presetgen SOURCE.preset OUT.ryxp: turns a readable preset source
// into a preset file. The values go through a real process of the source's
// mode and its own preset writer, so the bytes are exactly what the plug-in
// saves. Run at build time for every factory preset.
#include "PresetSource.h"

#include "hosting/ParameterText.h"
#include "processor/VantorPlugIn.h"
#include "presets/PresetFile.h"
#include "processor/PresetLayout.h"
#include "processor/VantorProcess.h"

#include <cstdio>

namespace {

class CSilentHost : public IHost {
public:
    unsigned GetVersion() override { return kVpaInterfaceVersion; }
    void ParameterChanged(int, int) override { }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vantor-presetgen SOURCE.preset OUT.ryxp\n");
        return 1;
    }
    SPresetSource source;
    std::string sError;
    if (!ReadPresetSource(argv[1], source, sError)) {
        std::fprintf(stderr, "vantor-presetgen: %s\n", sError.c_str());
        return 1;
    }
    CSilentHost host;
    CVantorPlugIn plugIn(&host);
    auto* pProcess = dynamic_cast<CVantorProcess*>(plugIn.CreateProcess(source.nMode));
    if (pProcess == nullptr) {
        std::fprintf(stderr, "vantor-presetgen: cannot create a process\n");
        return 2;
    }
    CParameterText parameters;
    parameters.Load(*pProcess);
    int nStatus = 0;
    for (const SPresetSource::SAssignment& assignment : source.assignments) {
        int nIndex = -1, nStored = 0;
        std::string sWarning;
        if (!parameters.ParseAssignment(assignment.sText, nIndex, nStored, sWarning, sError) || !sWarning.empty()) {
            std::fprintf(
                stderr, "%s:%d: %s\n", argv[1], assignment.nLine, (sError.empty() ? sWarning : sError).c_str());
            nStatus = 1;
            continue;
        }
        if (!parameters.Get(nIndex).bActive) {
            std::fprintf(stderr, "%s:%d: %s is not part of this mode\n", argv[1], assignment.nLine,
                parameters.Get(nIndex).names.front().c_str());
            nStatus = 1;
            continue;
        }
        pProcess->SetParameter(static_cast<unsigned>(nIndex), nStored);
    }
    if (nStatus == 0 && !WritePresetFile(argv[2], *pProcess->GetDataManager(), source.nMode, VantorPresetLayout())) {
        std::fprintf(stderr, "vantor-presetgen: cannot write %s\n", argv[2]);
        nStatus = 2;
    }
    pProcess->DestroySelf();
    return nStatus;
}
