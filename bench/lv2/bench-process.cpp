// lv2-bench-process: the mastering process without the LV2 wrapper, timed the
// way bench/lv2bench.c times plug-ins (same file, 64-frame blocks, flush to
// zero, median of the passes), with the settings given as LV2 port symbols.
// The ratio of lv2bench's figure to this one is the cost of the wrapper.
//   lv2-bench-process -i IN.wav [-b 64] [-n 5] [-c SYMBOL VALUE]...
#include "hosting/VpaHost.h"
#include "host-interface/vpaProcess.h"
#include "platform/Platform.h"
#include "wrappers/lv2/Lv2Ports.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::string sInput;
    unsigned nBlock = 64, nPasses = 5;
    std::vector<std::pair<std::string, float>> settings;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-i") == 0 && i + 1 < argc)
            sInput = argv[++i];
        else if (std::strcmp(argv[i], "-b") == 0 && i + 1 < argc)
            nBlock = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc)
            nPasses = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "-c") == 0 && i + 2 < argc) {
            settings.emplace_back(argv[i + 1], std::strtof(argv[i + 2], nullptr));
            i += 2;
        } else {
            std::fprintf(stderr, "usage: lv2-bench-process -i IN.wav [-b 64] [-n 5] [-c SYMBOL VALUE]...\n");
            return 1;
        }
    }
    SF_INFO info {};
    SNDFILE* pFile = sf_open(sInput.c_str(), SFM_READ, &info);
    if (pFile == nullptr || info.channels != 2 || nBlock == 0 || nPasses == 0) {
        std::fprintf(stderr, "lv2-bench-process: need a stereo file (%s)\n", sf_strerror(pFile));
        return 1;
    }
    const size_t nFrames = static_cast<size_t>(info.frames);
    std::vector<float> interleaved(2 * nFrames), left(nFrames), right(nFrames), out(2 * nBlock);
    sf_readf_float(pFile, interleaved.data(), info.frames);
    sf_close(pFile);
    for (size_t n = 0; n < nFrames; ++n) {
        left[n] = interleaved[2 * n];
        right[n] = interleaved[2 * n + 1];
    }

    CVpaLibrary library;
    if (!library.Load(CVpaLibrary::DefaultPath())) {
        std::fprintf(stderr, "lv2-bench-process: %s\n", library.GetError().c_str());
        return 1;
    }
    CVpaHost host;
    vpa::IPlugIn* pPlugIn = library.CreatePlugIn(&host, nullptr);
    vpa::IProcess* pProcess = pPlugIn != nullptr ? pPlugIn->CreateProcess(4) : nullptr;
    if (pProcess == nullptr)
        return 1;
    pProcess->SetNrOfChannelsIn(2);
    pProcess->SetNrOfChannelsOut(2);
    pProcess->SetMaxBufferSize(nBlock);
    pProcess->SetSampleFreq(static_cast<float>(info.samplerate));
    pProcess->Start();
    CParameterText parameters;
    parameters.Load(*pProcess);
    const std::vector<SLv2Port> ports = BuildLv2Ports(4, parameters);
    for (const auto& setting : settings) {
        auto port
            = std::find_if(ports.begin(), ports.end(), [&](const SLv2Port& p) { return p.sSymbol == setting.first; });
        if (port == ports.end() || port->eKind != ELv2PortKind::Parameter) {
            std::fprintf(stderr, "lv2-bench-process: no parameter port '%s'\n", setting.first.c_str());
            return 1;
        }
        const SParameterText& text = parameters.Get(port->nParameter);
        pProcess->SetParameter(
            static_cast<unsigned>(port->nParameter), Lv2PortToStored(text, setting.second, text.nDefault));
    }

    // As real-time hosts (and lv2bench) run.
    platform::CScopedNoDenormals noDenormals;
    std::vector<double> seconds;
    for (unsigned nPass = 0; nPass < nPasses; ++nPass) {
        const auto start = std::chrono::steady_clock::now();
        for (size_t nDone = 0; nDone + nBlock <= nFrames; nDone += nBlock) {
            float* ppIn[2] = { left.data() + nDone, right.data() + nDone };
            float* ppOut[2] = { out.data(), out.data() + nBlock };
            int nFlag = 0;
            pProcess->Process(ppOut, ppIn, nBlock, &nFlag);
        }
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    const double fDuration = static_cast<double>(nFrames) / info.samplerate;
    std::printf("RESULT blk=%u sr=%d ch=2 dur=%.1fs passes=%u wall_med=%.4f RTF_med=%.1f\n", nBlock, info.samplerate,
        fDuration, nPasses, seconds[nPasses / 2], fDuration / seconds[nPasses / 2]);
    pProcess->DestroySelf();
    pPlugIn->DestroySelf();
    return 0;
}
