// A user-interface thread changes everything it can while the audio thread
// processes. Under ThreadSanitizer this finds any word the two threads share
// outside the handoff and the meter atomics; in every build the output stays
// finite, and no block plays a change half applied.
#include "ProcessRig.h"

#include "processor/ParameterTable.h"

#include "TestFolder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
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
    std::atomic<bool> bStop { false };
    std::atomic<long> nBlocks { 0 };
    std::atomic<bool> bFinite { true };
    const uint32_t nSeed = ProcessTestSeed();

    std::thread audio([&] {
        std::mt19937 random(nSeed);
        std::vector<float> audio(2 * 2048);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        while (!bStop.load(std::memory_order_relaxed) || nBlocks.load() < 10000) {
            const unsigned nFrames = 1 + random() % 2048;
            for (unsigned n = 0; n < 2 * nFrames; ++n)
                audio[n] = noise(random);
            float* pp[2] = { audio.data(), audio.data() + nFrames };
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
        case 4: rig.pProcess->GetMeter(static_cast<unsigned>(random() % 5)); break;
        case 5:
            if (random() % 50 == 0) {
                rig.pProcess->SavePreset(sPreset);
                rig.pProcess->LoadPreset(sPreset, -1, false);
            }
            break;
        default: rig.pProcess->SetParameter(i, d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1))); break;
        }
    }
    bStop = true;
    audio.join();
    EXPECT_TRUE(bFinite.load());
    EXPECT_GE(nBlocks.load(), 10000);
}

// Every change of a band gain or cut frequency re-applies all band switches
// (neutralise, then restore). The audio thread must see such a change whole:
// a +15 dB high shelf that stays on is audible in every block, however fast
// the other bands change.
TEST(ThreadStress, ABandThatIsOnNeverDropsOutWhileOtherBandsChange)
{
    constexpr unsigned kFrames = 64;
    constexpr long kBlocks = 60000;
    constexpr long kSettleBlocks = 100;
    SProcessRig rig(0, 44100.0f, 2, kFrames);
    rig.pProcess->SetParameter(kEqHighShelfFreq, 750);
    rig.pProcess->SetParameter(kEqHighShelfGain, 150);
    // The other bands sit far below the 10 kHz probe and do not colour it.
    rig.pProcess->SetParameter(kEqLowMidFreq, 33);
    rig.pProcess->SetParameter(kEqHighMidFreq, 200);
    rig.pProcess->SetParameter(kEqLowMidQ, 1);
    rig.pProcess->SetParameter(kEqHighMidQ, 1);

    std::atomic<bool> bDone { false };
    std::atomic<long> nChanges { 0 };
    const uint32_t nSeed = ProcessTestSeed();
    std::thread userInterface([&] {
        std::mt19937 random(nSeed);
        const int kChanging[] = { kEqHighMidGain, kEqLowMidGain, kEqLowShelfGain, kEqLowCutFreq };
        while (!bDone.load(std::memory_order_relaxed)) {
            const int nParameter = kChanging[random() % 4];
            const int nValue = nParameter == kEqLowCutFreq ? 15 + static_cast<int>(random() % 186)
                                                           : -150 + static_cast<int>(random() % 301);
            rig.pProcess->SetParameter(nParameter, nValue);
            nChanges.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // A 10 kHz tone at 0.05 leaves the shelf at about 0.28; without the
    // shelf it stays at 0.05.
    std::vector<float> audio(2 * kFrames);
    long nLost = 0;
    long nFirstLost = -1;
    double fPhase = 0.0;
    const double fStep = 2.0 * M_PI * 10000.0 / 44100.0;
    for (long nBlock = 0; nBlock < kBlocks; ++nBlock) {
        for (unsigned n = 0; n < kFrames; ++n, fPhase += fStep)
            audio[n] = audio[kFrames + n] = static_cast<float>(0.05 * std::sin(fPhase));
        rig.Run(audio, 2, kFrames);
        float fPeak = 0.0f;
        for (unsigned n = 0; n < kFrames; ++n)
            fPeak = std::max(fPeak, std::fabs(audio[n]));
        if (nBlock >= kSettleBlocks && fPeak < 0.15f) {
            nFirstLost = nFirstLost < 0 ? nBlock : nFirstLost;
            ++nLost;
        }
    }
    bDone = true;
    userInterface.join();
    EXPECT_EQ(nLost, 0) << "blocks without the high shelf, the first at block " << nFirstLost;
    EXPECT_GE(nChanges.load(), 1000) << "the changes must overlap the audio for the test to mean anything";
}

} // namespace
