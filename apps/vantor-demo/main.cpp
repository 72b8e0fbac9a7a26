// A small host: loads Vantor.vpa the way any host does, asks it what it
// offers, and releases everything.
#include "apps/host/VpaHost.h"
#include "host-interface/vpaProcess.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const std::string sPath = argc > 1 ? argv[1] : CVpaLibrary::DefaultPath();
    CVpaLibrary library;
    if (!library.Load(sPath)) {
        std::fprintf(stderr, "vantor-demo: %s\n", library.GetError().c_str());
        return 1;
    }
    std::printf("Loaded %s\n", sPath.c_str());

    CVpaHost host;
    unsigned nVersion = 0;
    vpa::IPlugIn* pPlugIn = library.CreatePlugIn(&host, &nVersion);
    if (pPlugIn == nullptr) {
        std::fprintf(stderr, "vantor-demo: vpaMain refused a version %u host\n", host.GetVersion());
        return 1;
    }
    const unsigned nTypes = pPlugIn->GetNrOfProcessTypes();
    std::printf("vpaMain: interface version %u, %u process types, %d plug-in object(s) alive\n", nVersion, nTypes,
                pPlugIn->GetNrOfInstances());

    unsigned nWorking = 0;
    for (unsigned nType = 0; nType < nTypes; ++nType) {
        vpa::IProcess* pProcess = pPlugIn->CreateProcess(nType);
        if (pProcess != nullptr) {
            ++nWorking;
            pProcess->DestroySelf();
        }
    }
    if (nWorking == 0)
        std::printf("No process type can be created yet: the mastering process is not built, so no audio "
                    "was processed.\n");
    else
        std::printf("%u of %u process types created and released.\n", nWorking, nTypes);

    pPlugIn->DestroySelf();
    std::printf("Released the plug-in object.\n");
    return 0;
}
