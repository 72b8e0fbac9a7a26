// Host side of the plug-in contract, shared by our own hosts (the demo, the
// command-line tool, the LV2 wrapper, tests): loads Vantor.vpa, finds
// vpaMain and provides the host object the library calls back.
#pragma once

#include "host-interface/vpaHost.h"
#include "platform/Platform.h"

#include <functional>
#include <string>

class CVpaHost : public IHost {
public:
    using ParameterListener = std::function<void(int nIndex, int nValue)>;

    explicit CVpaHost(unsigned nVersion = kVpaInterfaceVersion);

    unsigned GetVersion() override { return mnVersion; }
    void ParameterChanged(int nIndex, int nValue) override;

    // Called for every ParameterChanged from the plug-in.
    void SetParameterListener(ParameterListener listener) { mListener = std::move(listener); }

private:
    unsigned mnVersion;
    ParameterListener mListener;
};

// The loaded plug-in library and its entry function.
class CVpaLibrary {
public:
    // The bundle folder of this build, where Vantor.vpa lies.
    static std::string DefaultPath();

    // Loads the library and finds vpaMain; false with GetError() set.
    bool Load(const std::string& sPath);
    // Calls vpaMain; null when the library refuses the host.
    vpa::IPlugIn* CreatePlugIn(IHost* pHost, unsigned* pnVersion) const;
    // Any other exported symbol (tests read the instance count this way).
    void* FindSymbol(const char* pszName) const { return mLibrary.FindSymbol(pszName); }
    const std::string& GetError() const { return msError; }

private:
    platform::CSharedLibrary mLibrary;
    VpaMainFunction mpMain = nullptr;
    std::string msError;
};
