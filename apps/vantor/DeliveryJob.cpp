#include "DeliveryJob.h"

#include "AnalysisWorker.h"
#include "ChainRunner.h"
#include "DeliveryLimiter.h"
#include "DriveGain.h"
#include "LoudestPassage.h"
#include "SpoolFile.h"
#include "TargetSearch.h"
#include "ToolError.h"

#include <ebur128.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

constexpr unsigned kBlockFrames = CChainRunner::kBlockFrames;

std::string Lufs(double f)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%.1f", f);
    return buffer;
}

// One run of the chain: its output parked on disk, and the integrated
// loudness of that output after the ceiling (what the file will hold).
class CTrial {
public:
    CTrial(unsigned nChannels, double fSampleRate, double fOffsetDb, bool bCeiling, double fCeilingDbtp)
        : mnChannels(nChannels)
        , mfOffsetDb(fOffsetDb)
        , mSpool(nChannels)
        , mpState(ebur128_init(nChannels, static_cast<unsigned long>(fSampleRate), EBUR128_MODE_I))
        , mOut(static_cast<size_t>(kBlockFrames) * nChannels)
    {
        if (mpState == nullptr)
            throw FailureError("the loudness meter could not start (out of memory?)");
        if (bCeiling)
            mpCeiling = std::make_unique<CDeliveryLimiter>(nChannels, fSampleRate, fCeilingDbtp);
    }
    ~CTrial() { ebur128_destroy(&mpState); }
    CTrial(const CTrial&) = delete;
    CTrial& operator=(const CTrial&) = delete;

    void Add(const float* pfChain, unsigned nFrames)
    {
        if (nFrames == 0)
            return;
        mSpool.Write(pfChain, nFrames);
        if (mpCeiling) {
            const unsigned nOut = mpCeiling->Process(pfChain, nFrames, mOut.data());
            ebur128_add_frames_float(mpState, mOut.data(), nOut);
        } else {
            ebur128_add_frames_float(mpState, pfChain, nFrames);
        }
    }
    void Finish()
    {
        if (mpCeiling) {
            const unsigned nOut = mpCeiling->Flush(mOut.data());
            ebur128_add_frames_float(mpState, mOut.data(), nOut);
        }
        if (ebur128_loudness_global(mpState, &mfLoudness) != EBUR128_SUCCESS)
            mfLoudness = -std::numeric_limits<double>::infinity();
    }
    double GetLoudness() const { return mfLoudness; }
    double GetOffsetDb() const { return mfOffsetDb; }
    CSpoolFile& GetSpool() { return mSpool; }

private:
    unsigned mnChannels;
    double mfOffsetDb;
    CSpoolFile mSpool;
    ebur128_state* mpState;
    std::unique_ptr<CDeliveryLimiter> mpCeiling;
    std::vector<float> mOut;
    double mfLoudness = -std::numeric_limits<double>::infinity();
};

} // namespace

CDeliveryJob::CDeliveryJob(CVantorEngine& engine, const CProcessSettings& settings, const SJobRequest& request,
                           std::function<void(long long)> progress)
    : mEngine(engine)
    , mSettings(settings)
    , mRequest(request)
    , mProgress(std::move(progress))
{
}

void CDeliveryJob::Run(CAudioReader& reader, const SOutputFormat& format, SJobResult& result)
{
    const unsigned nChannels = reader.GetChannels();
    const double fRate = reader.GetSampleRate();
    SDeliveryReport& delivery = result.delivery;
    delivery.bTarget = mRequest.bTarget;
    delivery.fTargetLufs = mRequest.fTargetLufs;
    delivery.bCeiling = mRequest.bCeiling;
    delivery.fCeilingDbtp = mRequest.fCeilingDbtp;

    std::unique_ptr<CDriveGain> pDrive;
    std::unique_ptr<CSpoolFile> pInput;
    if (mRequest.bTarget) {
        pDrive = std::make_unique<CDriveGain>(mEngine, mSettings);
        pInput = std::make_unique<CSpoolFile>(nChannels);
    }
    auto MakeTrial = [&](double fOffsetDb) {
        return std::make_unique<CTrial>(nChannels, fRate, fOffsetDb, mRequest.bCeiling, mRequest.fCeilingDbtp);
    };

    // The pass that reads the input: the settings as given.
    CAnalysisWorker before(nChannels, fRate);
    std::unique_ptr<CLoudestPassage> pPassage;
    if (mRequest.bMeasure)
        pPassage = std::make_unique<CLoudestPassage>(nChannels, fRate);
    std::unique_ptr<CTrial> pBest = MakeTrial(0.0);
    {
        CChainRunner runner(mEngine, mSettings, nChannels, fRate, mRequest.bDualMono);
        std::vector<float> input(static_cast<size_t>(kBlockFrames) * nChannels);
        std::vector<float> output(input.size());
        while (const unsigned nFrames = reader.Read(input.data(), kBlockFrames)) {
            result.nFrames += nFrames;
            before.Add(std::vector<float>(input.begin(), input.begin() + nFrames * nChannels));
            if (pPassage)
                pPassage->Add(input.data(), nFrames);
            if (pInput)
                pInput->Write(input.data(), nFrames);
            pBest->Add(output.data(), runner.Process(input.data(), nFrames, output.data()));
            mProgress(nFrames);
        }
        if (result.nFrames == 0)
            throw FailureError("'" + mRequest.sInput + "' holds no audio (zero length)");
        pBest->Add(output.data(), runner.Flush(output.data()));
        pBest->Finish();
        delivery.nChainRuns = 1;
    }
    before.Finish();
    result.before = before.GetResult();

    if (mRequest.bTarget) {
        const double fTarget = mRequest.fTargetLufs;
        if (!std::isfinite(result.before.fIntegratedLufs) || !std::isfinite(pBest->GetLoudness())) {
            result.warnings.push_back("the input is silent (no loudness to measure): written with the settings as "
                                      "given, no gain for the target of " + Lufs(fTarget) + " LUFS");
            result.nExitCode = kExitWarnings;
        } else {
            CTargetSearch search(fTarget, pDrive->GetLowestDb(), pDrive->GetHighestDb(), 0.1);
            search.Add(0.0, pBest->GetLoudness());
            double fOffsetDb = 0.0;
            std::vector<float> input(static_cast<size_t>(kBlockFrames) * nChannels);
            std::vector<float> output(input.size());
            while (search.Next(fOffsetDb)) {
                std::unique_ptr<CTrial> pTrial = MakeTrial(fOffsetDb);
                CChainRunner runner(mEngine, mSettings, nChannels, fRate, mRequest.bDualMono,
                                    pDrive->GetOverrides(fOffsetDb));
                pInput->Rewind();
                while (const unsigned nFrames = pInput->Read(input.data(), kBlockFrames))
                    pTrial->Add(output.data(), runner.Process(input.data(), nFrames, output.data()));
                pTrial->Add(output.data(), runner.Flush(output.data()));
                pTrial->Finish();
                ++delivery.nChainRuns;
                search.Add(fOffsetDb, pTrial->GetLoudness());
                if (std::isfinite(pTrial->GetLoudness()) &&
                    std::fabs(pTrial->GetLoudness() - fTarget) < std::fabs(pBest->GetLoudness() - fTarget))
                    pBest = std::move(pTrial);
            }
            delivery.bReached = search.IsReached();
            if (!delivery.bReached) {
                const double fClosest = pBest->GetLoudness();
                const double fBound = fClosest < fTarget ? pDrive->GetHighestDb() : pDrive->GetLowestDb();
                const bool bAtBound = std::fabs(pBest->GetOffsetDb() - fBound) < 0.05;
                result.warnings.push_back(
                    "the target of " + Lufs(fTarget) + " LUFS was not reached: the closest is " + Lufs(fClosest) +
                    " LUFS (" + pDrive->Describe(pBest->GetOffsetDb()) +
                    (bAtBound ? std::string("; the drive is at the end of its range)") : std::string(")")));
                result.nExitCode = kExitWarnings;
            }
        }
        delivery.fDriveDb = pBest->GetOffsetDb();
        delivery.sDrive = pDrive->Describe(pBest->GetOffsetDb());
    }
    pInput.reset();

    // The gain reduction the chosen drive caused.
    if (mRequest.bMeasure) {
        CGainReductionProbe probe(mEngine, mSettings, nChannels, fRate);
        probe.SetDualMono(mRequest.bDualMono);
        if (pDrive)
            probe.SetOverrides(pDrive->GetOverrides(pBest->GetOffsetDb()));
        result.gainReduction = probe.Measure(*pPassage);
    }

    // The file, measured as written; the ceiling lowered when what was
    // written still passes it.
    double fCeilingDbtp = mRequest.fCeilingDbtp;
    for (int nPass = 1;; ++nPass) {
        CAudioWriter writer;
        writer.Open(mRequest.sOutput, format, nChannels, reader.GetSampleRate(), reader.GetMetadata(),
                    mRequest.eDither);
        CLoudnessMeter after(nChannels, fRate);
        writer.SetWrittenSink([&after](const float* pf, unsigned n) { after.Add(pf, n); });
        std::unique_ptr<CDeliveryLimiter> pCeiling;
        if (mRequest.bCeiling)
            pCeiling = std::make_unique<CDeliveryLimiter>(nChannels, fRate, fCeilingDbtp);
        CSpoolFile& spool = pBest->GetSpool();
        spool.Rewind();
        std::vector<float> chain(static_cast<size_t>(kBlockFrames) * nChannels);
        std::vector<float> limited(chain.size());
        while (const unsigned nFrames = spool.Read(chain.data(), kBlockFrames)) {
            if (pCeiling) {
                if (const unsigned nOut = pCeiling->Process(chain.data(), nFrames, limited.data()))
                    writer.Write(limited.data(), nOut);
            } else {
                writer.Write(chain.data(), nFrames);
            }
        }
        if (pCeiling) {
            if (const unsigned nOut = pCeiling->Flush(limited.data()))
                writer.Write(limited.data(), nOut);
            delivery.fCeilingReductionDb = pCeiling->GetDeepestReductionDb();
        }
        writer.Close();
        result.after = after.GetResult();
        result.nDitheredSamples = writer.GetDitheredSamples();
        const double fExcessDb = result.after.fTruePeakDb - mRequest.fCeilingDbtp;
        if (mRequest.bCeiling && fExcessDb > 0.0) {
            if (writer.CanRetry() && nPass < kMostCeilingPasses) {
                fCeilingDbtp -= fExcessDb + kRetryMarginDb;
                continue;
            }
            result.warnings.push_back("the output's true peak (" + Lufs(result.after.fTruePeakDb) +
                                      " dBTP) passes the ceiling");
            result.nExitCode = kExitWarnings;
        }
        writer.Publish(mRequest.bReplace);
        if (writer.GetClippedSamples() > 0)
            result.notes.push_back(std::to_string(writer.GetClippedSamples()) +
                                   " samples were beyond full scale and clipped in the output");
        break;
    }
    result.bMeasured = mRequest.bMeasure;
}
