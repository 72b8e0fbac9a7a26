// Vantor.vpa as the tool uses it: found beside the tool (installed as
// bin/vantor with lib/vantor/Vantor.vpa, or in the build's bundle) or where
// VANTOR_LIBRARY says, loaded through vpaMain like any host, and asked for
// one process per file.
#pragma once

#include "hosting/VpaHost.h"
#include "host-interface/vpaPlugIn.h"
#include "host-interface/vpaProcess.h"

#include <memory>
#include <mutex>
#include <string>

// Process types of CreateProcess.
enum EProcessMode : unsigned {
    kModeEqualiser = 0,
    kModeCompressor = 1,
    kModeLimiter = 2,
    kModeClipper = 3,
    kModeChain = 4,
};

// "chain", "eq", "compressor", "limiter", "clipper" (and a few spellings)
// -> mode; false for anything else.
bool ParseModeName(const std::string& sName, unsigned& nMode);
const char* GetModeName(unsigned nMode);

struct SProcessDeleter {
    void operator()(vpa::IProcess* pProcess) const;
};
using ProcessPtr = std::unique_ptr<vpa::IProcess, SProcessDeleter>;

class CVantorEngine {
public:
    CVantorEngine() = default;
    ~CVantorEngine();
    CVantorEngine(const CVantorEngine&) = delete;
    CVantorEngine& operator=(const CVantorEngine&) = delete;

    // Finds and loads the library; throws a CToolError when it cannot.
    void Load();

    // A new process of the mode, set up for nChannels (1 or 2), the rate and
    // blocks of up to nMaxFrames, with its default settings. Safe to call
    // from several threads.
    ProcessPtr CreateProcess(unsigned nMode, unsigned nChannels, double fSampleRate, unsigned nMaxFrames);

    // "<folder of Vantor.vpa>/Vantor Presets/".
    std::string GetPresetsFolder() const;

private:
    static std::string FindLibrary();

    std::string msLibraryPath;
    CVpaLibrary mLibrary;
    CVpaHost mHost;
    vpa::IPlugIn* mpPlugIn = nullptr;
    std::mutex mMutex; // creation and release of processes
};
