#include "VantorEngine.h"

#include "ToolError.h"
#include "presets/PresetFile.h"

#include <climits>
#include <cstdlib>
#include <strings.h>
#include <unistd.h>

namespace {

std::mutex gReleaseMutex;

bool IsFile(const std::string& sPath)
{
    return !sPath.empty() && ::access(sPath.c_str(), R_OK) == 0;
}

// Folder of the running executable with a trailing '/', or "".
std::string GetExecutableFolder()
{
    char buffer[4096];
    const ssize_t nLength = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (nLength <= 0)
        return std::string();
    const std::string sPath(buffer, static_cast<size_t>(nLength));
    return sPath.substr(0, sPath.rfind('/') + 1);
}

} // namespace

bool ParseModeName(const std::string& sName, unsigned& nMode)
{
    static const struct {
        const char* pszName;
        unsigned nMode;
    } kNames[] = {
        { "chain", kModeChain },
        { "eq", kModeEqualiser },
        { "equaliser", kModeEqualiser },
        { "equalizer", kModeEqualiser },
        { "compressor", kModeCompressor },
        { "comp", kModeCompressor },
        { "limiter", kModeLimiter },
        { "lim", kModeLimiter },
        { "clipper", kModeClipper },
        { "clip", kModeClipper },
    };
    for (const auto& name : kNames) {
        if (::strcasecmp(name.pszName, sName.c_str()) == 0) {
            nMode = name.nMode;
            return true;
        }
    }
    return false;
}

const char* GetModeName(unsigned nMode)
{
    static const char* const kNames[] = { "eq", "compressor", "limiter", "clipper", "chain" };
    return nMode <= kModeChain ? kNames[nMode] : "chain";
}

void SProcessDeleter::operator()(vpa::IProcess* pProcess) const
{
    if (pProcess != nullptr) {
        std::lock_guard<std::mutex> lock(gReleaseMutex);
        pProcess->DestroySelf();
    }
}

CVantorEngine::~CVantorEngine()
{
    if (mpPlugIn != nullptr)
        mpPlugIn->DestroySelf();
}

std::string CVantorEngine::FindLibrary()
{
    if (const char* pszOverride = std::getenv("VANTOR_LIBRARY"); pszOverride != nullptr && *pszOverride != '\0') {
        if (!IsFile(pszOverride))
            throw FailureError(std::string("VANTOR_LIBRARY names '") + pszOverride + "', which cannot be read");
        return pszOverride;
    }
    const std::string sHere = GetExecutableFolder();
    // Installed (bin/vantor, lib/vantor/Vantor.vpa), then the build folder
    // (bin/vantor, bundle/Vantor.vpa), then the bundle this build made.
    for (const std::string& sCandidate :
        { sHere + "../lib/vantor/Vantor.vpa", sHere + "../bundle/Vantor.vpa", CVpaLibrary::DefaultPath() }) {
        if (IsFile(sCandidate)) {
            char resolved[PATH_MAX];
            return ::realpath(sCandidate.c_str(), resolved) != nullptr ? std::string(resolved) : sCandidate;
        }
    }
    throw FailureError(
        "cannot find Vantor.vpa beside the tool (" + sHere + "../lib/vantor/); set VANTOR_LIBRARY to its path");
}

void CVantorEngine::Load()
{
    msLibraryPath = FindLibrary();
    if (!mLibrary.Load(msLibraryPath))
        throw FailureError("cannot load " + msLibraryPath + ": " + mLibrary.GetError());
    unsigned nVersion = 0;
    mpPlugIn = mLibrary.CreatePlugIn(&mHost, &nVersion);
    if (mpPlugIn == nullptr)
        throw FailureError(msLibraryPath + " refused a version " + std::to_string(mHost.GetVersion()) + " host");
}

ProcessPtr CVantorEngine::CreateProcess(unsigned nMode, unsigned nChannels, double fSampleRate, unsigned nMaxFrames)
{
    ProcessPtr pProcess;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        pProcess.reset(mpPlugIn != nullptr ? mpPlugIn->CreateProcess(nMode) : nullptr);
    }
    if (!pProcess)
        throw FailureError(std::string("the library could not create a ") + GetModeName(nMode) + " process");
    pProcess->SetNrOfChannelsIn(nChannels);
    pProcess->SetNrOfChannelsOut(nChannels);
    pProcess->SetMaxBufferSize(nMaxFrames);
    pProcess->SetSampleFreq(static_cast<float>(fSampleRate));
    return pProcess;
}

std::string CVantorEngine::GetPresetsFolder() const
{
    return msLibraryPath.substr(0, msLibraryPath.rfind('/') + 1) + kPresetsFolderName + "/";
}
