// A user-interface thread changes everything it can while the audio thread
// processes. Under ThreadSanitizer this finds any change that reaches the
// chain without the process's lock; in every build the output stays finite.
#include "ProcessRig.h"

#include "processor/ParameterTable.h"

#include "TestFolder.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

#if defined(__SANITIZE_THREAD__)
constexpr double kSeconds = 10.0;
#else
constexpr double kSeconds = 2.0;
#endif

TEST(ThreadStress, UserInterfaceChangesWhileAudioRunsStayApart)
{
    SProcessRig rig(4, 44100.0f, 2, 2048);
    CTestFolder folder;
    const std::string sPreset = folder.Path("stress.ryxp");
    std::atomic<bool> bStop{false};
    std::atomic<long> nBlocks{0};
    std::atomic<bool> bFinite{true};
    const uint32_t nSeed = ProcessTestSeed();

    std::thread audio([&] {
        std::mt19937 random(nSeed);
        std::vector<float> audio(2 * 2048);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        while (!bStop.load(std::memory_order_relaxed) || nBlocks.load() < 10000) {
            const unsigned nFrames = 1 + random() % 2048;
            for (unsigned n = 0; n < 2 * nFrames; ++n)
                audio[n] = noise(random);
            float* pp[2] = {audio.data(), audio.data() + nFrames};
            int nFlag = 0;
            rig.pProcess->ProcessInPlace(pp, nFrames, &nFlag);
            for (unsigned n = 0; n < 2 * nFrames; ++n) {
                if (!std::isfinite(audio[n]))
                    bFinite = false;
            }
            ++nBlocks;
        }
    });

    std::mt19937 random(nSeed + 1);
    std::vector<unsigned char> chunk(rig.pProcess->GetChunkSize());
    float curve[313];
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < kSeconds) {
        const int i = static_cast<int>(random() % kNrOfVantorParameters);
        const SParameterDescriptor& d = kVantorParameters[i];
        switch (random() % 8) {
        case 0: rig.pProcess->MoveModule(static_cast<int>(random() % 4), static_cast<int>(random() % 4)); break;
        case 1: rig.pProcess->GetChunk(chunk.data()); break;
        case 2: rig.pProcess->SetChunk(chunk.data(), static_cast<unsigned>(chunk.size())); break;
        case 3: rig.pProcess->GetEQCurve(curve); break;
        case 4:
            rig.pProcess->GetMeter(static_cast<unsigned>(random() % 5));
            break;
        case 5:
            if (random() % 50 == 0) {
                rig.pProcess->SavePreset(sPreset);
                rig.pProcess->LoadPreset(sPreset, -1, false);
            }
            break;
        default:
            rig.pProcess->SetParameter(i, d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1)));
            break;
        }
    }
    bStop = true;
    audio.join();
    EXPECT_TRUE(bFinite.load());
    EXPECT_GE(nBlocks.load(), 10000);
}

} // namespace
