#include "VpaHost.h"

CVpaHost::CVpaHost(unsigned nVersion)
    : mnVersion(nVersion)
{ }

void CVpaHost::ParameterChanged(int nIndex, int nValue)
{
    if (mListener)
        mListener(nIndex, nValue);
}

std::string CVpaLibrary::DefaultPath()
{
    return std::string(VANTOR_BUNDLE_DIR) + "/Vantor.vpa";
}

bool CVpaLibrary::Load(const std::string& sPath)
{
    mpMain = nullptr;
    if (!mLibrary.Load(sPath)) {
        msError = mLibrary.GetError();
        return false;
    }
    mpMain = reinterpret_cast<VpaMainFunction>(mLibrary.FindSymbol("vpaMain"));
    if (mpMain == nullptr) {
        msError = sPath + ": no vpaMain entry function";
        mLibrary.Unload();
        return false;
    }
    msError.clear();
    return true;
}

vpa::IPlugIn* CVpaLibrary::CreatePlugIn(IHost* pHost, unsigned* pnVersion) const
{
    return mpMain != nullptr ? mpMain(pHost, pnVersion) : nullptr;
}
