// libFuzzer target for the state a process takes from outside: the host's
// chunk and preset files. The first byte picks which; the rest is the chunk
// or the file. After applying it the process must still produce finite
// audio. Built with clang by `make fuzz` and `make fuzz-smoke`.
#include "presets/PresetFile.h"
#include "processor/VantorProcess.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Processes of every type, without a plug-in object: nothing is reported to
// a host.
struct SFixture {
    SFixture()
    {
        for (unsigned nType = 0; nType < 5; ++nType) {
            pProcess[nType] = new CVantorProcess(nullptr, nType);
            pProcess[nType]->SetNrOfChannelsIn(2);
            pProcess[nType]->SetNrOfChannelsOut(2);
            pProcess[nType]->SetMaxBufferSize(256);
            pProcess[nType]->SetSampleFreq(44100.0f);
        }
        sPresetPath = "/tmp/vantor-state-fuzz-" + std::to_string(::getpid()) + ".ryxp";
    }
    CVantorProcess* pProcess[5];
    std::string sPresetPath;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static SFixture fixture;
    if (nSize < 1 || nSize > (1u << 20))
        return 0;
    const unsigned nType = pData[0] % 5;
    CVantorProcess& process = *fixture.pProcess[nType];
    if (pData[0] & 0x80) {
        FILE* pFile = std::fopen(fixture.sPresetPath.c_str(), "wb");
        if (pFile == nullptr)
            return 0;
        std::fwrite(pData + 1, 1, nSize - 1, pFile);
        std::fclose(pFile);
        process.LoadPreset(fixture.sPresetPath, (pData[0] >> 3) % 6 - 1, false);
        IsValidPresetFile(fixture.sPresetPath, nType);
    } else {
        process.SetChunk(pData + 1, static_cast<unsigned>(nSize - 1));
    }
    float audio[2][256];
    for (int n = 0; n < 256; ++n)
        audio[0][n] = audio[1][n] = 0.5f * std::sin(0.05f * n);
    float* pp[2] = { audio[0], audio[1] };
    process.ProcessInPlace(pp, 256, nullptr);
    for (int n = 0; n < 256; ++n) {
        if (!std::isfinite(audio[0][n]) || !std::isfinite(audio[1][n])) {
            std::fprintf(stderr, "non-finite output in type %u with:", nType);
            for (unsigned i = 0; i < process.GetNrOfParameters(); ++i)
                std::fprintf(stderr, " %u=%d", i, process.GetParameter(i));
            std::fprintf(stderr, "\n");
            std::abort();
        }
    }
    return 0;
}
