// Where the library lies, and the monotonic clock.
#include "Platform.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>

namespace platform {

namespace {

// Any symbol of this binary; dladdr tells which file it was loaded from.
void ModuleAnchor() { }

// dladdr gives the name as it was handed to dlopen, which may be relative to
// the working directory of that moment; the absolute path is fixed once.
std::string ResolveModuleFile()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&ModuleAnchor), &info) == 0 || info.dli_fname == nullptr
        || info.dli_fname[0] == '\0')
        return std::string();
    char* pszReal = realpath(info.dli_fname, nullptr);
    if (pszReal == nullptr)
        return std::string(info.dli_fname);
    std::string sFile(pszReal);
    free(pszReal);
    return sFile;
}

const std::string& ModuleFile()
{
    static const std::string sFile = ResolveModuleFile();
    return sFile;
}

// Resolved while the binary loads, before its host can change the working
// directory.
__attribute__((constructor)) void ResolveModuleFileAtLoad()
{
    ModuleFile();
}

} // namespace

std::string GetModuleFile()
{
    return ModuleFile();
}

std::string GetModuleFolder()
{
    const std::string sFile = GetModuleFile();
    const size_t nCut = sFile.rfind(kPathSeparator);
    if (nCut == std::string::npos)
        return std::string();
    return sFile.substr(0, nCut + 1);
}

CSharedLibrary::CSharedLibrary()
    : mpHandle(nullptr)
{ }

CSharedLibrary::~CSharedLibrary()
{
    Unload();
}

bool CSharedLibrary::Load(const std::string& sPath)
{
    Unload();
    // Resolve everything now so a broken library fails here, not mid-stream.
    mpHandle = dlopen(sPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (mpHandle == nullptr) {
        const char* pszError = dlerror();
        msError = pszError != nullptr ? pszError : "cannot load " + sPath;
        return false;
    }
    msError.clear();
    return true;
}

void CSharedLibrary::Unload()
{
    if (mpHandle != nullptr) {
        dlclose(mpHandle);
        mpHandle = nullptr;
    }
}

void* CSharedLibrary::FindSymbol(const char* pszName) const
{
    return mpHandle != nullptr ? dlsym(mpHandle, pszName) : nullptr;
}

uint32_t GetTickCount()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t nMs = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(nMs);
}

} // namespace platform
