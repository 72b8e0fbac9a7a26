#include "DeliveryJob.h"

#include "AnalysisWorker.h"
#include "ChainRunner.h"
#include "DeliveryLimiter.h"
#include "DeliveryTrial.h"
#include "DriveGain.h"
#include "LoudestPassage.h"
#include "SpoolFile.h"
#include "TargetSearch.h"
#include "ToolError.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <thread>

std::string DecibelText(double f)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%.1f", f);
    return buffer;
}

namespace {

constexpr unsigned kBlockFrames = CChainRunner::kBlockFrames;

// Where the search tries its drives before a whole pass: kExcerpts
// stretches of kMeasuredSeconds spread evenly over the file, each run
// through the chain from kRunUpSeconds before it so that every detector has
// settled. A file too short for that to save time is searched whole.
constexpr int kExcerpts = 5;
constexpr double kMeasuredSeconds = 6.0;
constexpr double kRunUpSeconds = 2.0;
constexpr double kShortestExcerptedSeconds = 60.0;
// Whole passes the search may still take after the excerpts have spoken.
constexpr int kMostWholeTrials = 4;
// How near the target a search stops: excerpts only predict the whole file
// (to about 0.1 LU), so aiming closer on them buys nothing; a whole pass
// within kWholeAimLu is written (the file then measures what the pass
// measured, dither aside), well inside the promised 0.3 LU.
constexpr double kExcerptAimLu = 0.1;
constexpr double kWholeAimLu = 0.15;

struct SExcerpt {
    long long nRunFrom; // first frame run through the chain
    long long nFrom; // first frame measured
    long long nTo; // end of the measured frames
};

std::vector<SExcerpt> PlanExcerpts(long long nFrames, double fRate)
{
    std::vector<SExcerpt> excerpts;
    if (nFrames < static_cast<long long>(kShortestExcerptedSeconds * fRate))
        return excerpts;
    const long long nMeasured = static_cast<long long>(kMeasuredSeconds * fRate);
    const long long nRunUp = static_cast<long long>(kRunUpSeconds * fRate);
    for (int k = 0; k < kExcerpts; ++k) {
        const long long nCentre = static_cast<long long>((k + 0.5) * static_cast<double>(nFrames) / kExcerpts);
        const long long nFrom = std::max(0LL, nCentre - nMeasured / 2);
        excerpts.push_back({ std::max(0LL, nFrom - nRunUp), nFrom, std::min(nFrames, nFrom + nMeasured) });
    }
    return excerpts;
}

// Integrated loudness of the measured frames of the excerpts: of the input
// itself, or of the chain's output with the drive's overrides and the
// ceiling. The excerpts are shared between two threads.
double MeasureExcerpts(const CSpoolFile& input, const std::vector<SExcerpt>& excerpts, unsigned nChannels, double fRate,
    const std::function<std::unique_ptr<CChainRunner>()>& makeRunner, bool bCeiling, double fCeilingDbtp)
{
    constexpr size_t kThreads = 2;
    ebur128_state* states[kThreads] = {};
    for (ebur128_state*& pState : states) {
        pState = ebur128_init(nChannels, static_cast<unsigned long>(fRate), EBUR128_MODE_I);
        if (pState == nullptr) {
            for (ebur128_state*& pMade : states)
                ebur128_destroy(&pMade);
            throw FailureError("the loudness meter could not start (out of memory?)");
        }
    }
    auto MeasureOne = [&](const SExcerpt& excerpt, ebur128_state* pState) {
        std::vector<float> in(static_cast<size_t>(kBlockFrames) * nChannels);
        std::vector<float> chain(in.size()), limited(in.size());
        std::unique_ptr<CChainRunner> pRunner = makeRunner ? makeRunner() : nullptr;
        std::unique_ptr<CDeliveryLimiter> pCeiling;
        if (pRunner && bCeiling)
            pCeiling = std::make_unique<CDeliveryLimiter>(nChannels, fRate, fCeilingDbtp);
        long long nOutAt = excerpt.nRunFrom; // frame number of the next output frame
        auto Measure = [&](const float* pf, unsigned n) {
            // The part of frames [nOutAt, nOutAt + n) inside the measured stretch.
            const long long nFrom = std::max(nOutAt, excerpt.nFrom), nTo = std::min(nOutAt + n, excerpt.nTo);
            if (nTo > nFrom)
                ebur128_add_frames_float(pState, pf + (nFrom - nOutAt) * nChannels, static_cast<size_t>(nTo - nFrom));
            nOutAt += n;
        };
        auto Deliver = [&](const float* pf, unsigned n) {
            if (!pCeiling) {
                Measure(pf, n);
                return;
            }
            Measure(limited.data(), pCeiling->Process(pf, n, limited.data()));
        };
        for (long long nAt = excerpt.nRunFrom; nAt < excerpt.nTo;) {
            const unsigned nWant = static_cast<unsigned>(std::min<long long>(kBlockFrames, excerpt.nTo - nAt));
            const unsigned nRead = input.ReadAt(nAt, in.data(), nWant);
            if (nRead == 0)
                break;
            nAt += nRead;
            if (pRunner)
                Deliver(chain.data(), pRunner->Process(in.data(), nRead, chain.data()));
            else
                Measure(in.data(), nRead);
        }
        if (pRunner) {
            Deliver(chain.data(), pRunner->Flush(chain.data()));
            if (pCeiling)
                Measure(limited.data(), pCeiling->Flush(limited.data()));
        }
    };
    // Every other excerpt on a second thread; its failure is rethrown here.
    std::exception_ptr pFailure;
    std::thread second([&]() {
        try {
            for (size_t n = 1; n < excerpts.size(); n += kThreads)
                MeasureOne(excerpts[n], states[1]);
        } catch (...) {
            pFailure = std::current_exception();
        }
    });
    std::exception_ptr pOwnFailure;
    try {
        for (size_t n = 0; n < excerpts.size(); n += kThreads)
            MeasureOne(excerpts[n], states[0]);
    } catch (...) {
        pOwnFailure = std::current_exception();
    }
    second.join();
    double fLoudness = -HUGE_VAL;
    if (ebur128_loudness_global_multiple(states, kThreads, &fLoudness) != EBUR128_SUCCESS)
        fLoudness = -HUGE_VAL;
    for (ebur128_state*& pState : states)
        ebur128_destroy(&pState);
    if (pOwnFailure)
        std::rethrow_exception(pOwnFailure);
    if (pFailure)
        std::rethrow_exception(pFailure);
    return fLoudness;
}

} // namespace

CDeliveryJob::CDeliveryJob(CVantorEngine& engine, const CProcessSettings& settings, const SJobRequest& request,
    std::function<void(long long)> progress)
    : mEngine(engine)
    , mSettings(settings)
    , mRequest(request)
    , mProgress(std::move(progress))
{ }

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
        return std::make_unique<CDeliveryTrial>(nChannels, fRate, fOffsetDb, mRequest.bCeiling, mRequest.fCeilingDbtp);
    };

    // The pass that reads the input: the settings as given.
    CAnalysisWorker before(nChannels, fRate);
    const bool bPlot = !mRequest.sPlot.empty();
    SPlotData plot;
    if (bPlot)
        before.SetSeries(&plot.before, nullptr);
    std::unique_ptr<CLoudestPassage> pPassage;
    if (mRequest.bMeasure)
        pPassage = std::make_unique<CLoudestPassage>(nChannels, fRate);
    // Without a target the one pass through the chain is the one written.
    std::unique_ptr<CDeliveryTrial> pBest;
    {
        std::unique_ptr<CChainRunner> pRunner;
        if (!mRequest.bTarget) {
            pRunner = std::make_unique<CChainRunner>(mEngine, mSettings, nChannels, fRate, mRequest.bDualMono);
            pBest = MakeTrial(0.0);
            if (bPlot)
                pRunner->SetGainTraces(&pBest->GetGainTraces());
        }
        std::vector<float> input(static_cast<size_t>(kBlockFrames) * nChannels);
        std::vector<float> output(input.size());
        while (const unsigned nFrames = reader.Read(input.data(), kBlockFrames)) {
            result.nFrames += nFrames;
            before.Add(std::vector<float>(input.begin(), input.begin() + nFrames * nChannels));
            if (pPassage)
                pPassage->Add(input.data(), nFrames);
            if (pInput)
                pInput->Write(input.data(), nFrames);
            if (pRunner)
                pBest->Add(output.data(), pRunner->Process(input.data(), nFrames, output.data()));
            mProgress(nFrames);
        }
        if (result.nFrames == 0)
            throw FailureError("'" + mRequest.sInput + "' holds no audio (zero length)");
        if (pRunner) {
            pBest->Add(output.data(), pRunner->Flush(output.data()));
            pBest->Finish();
            delivery.nChainRuns = 1;
        }
    }
    before.Finish();
    result.before = before.GetResult();

    if (mRequest.bTarget) {
        const double fTarget = mRequest.fTargetLufs;
        const double fLowest = pDrive->GetLowestDb(), fHighest = pDrive->GetHighestDb();
        std::vector<float> input(static_cast<size_t>(kBlockFrames) * nChannels);
        std::vector<float> output(input.size());
        // One whole pass through the chain with a drive.
        auto WholeTrial = [&](double fOffsetDb) {
            std::unique_ptr<CDeliveryTrial> pTrial = MakeTrial(fOffsetDb);
            CChainRunner runner(
                mEngine, mSettings, nChannels, fRate, mRequest.bDualMono, pDrive->GetOverrides(fOffsetDb));
            if (bPlot)
                runner.SetGainTraces(&pTrial->GetGainTraces());
            pInput->Rewind();
            while (const unsigned nFrames = pInput->Read(input.data(), kBlockFrames))
                pTrial->Add(output.data(), runner.Process(input.data(), nFrames, output.data()));
            pTrial->Add(output.data(), runner.Flush(output.data()));
            pTrial->Finish();
            ++delivery.nChainRuns;
            return pTrial;
        };
        auto Keep = [&](std::unique_ptr<CDeliveryTrial> pTrial) {
            if (!pBest
                || (std::isfinite(pTrial->GetLoudness())
                    && (!std::isfinite(pBest->GetLoudness())
                        || std::fabs(pTrial->GetLoudness() - fTarget) < std::fabs(pBest->GetLoudness() - fTarget))))
                pBest = std::move(pTrial);
        };

        const std::vector<SExcerpt> excerpts = PlanExcerpts(result.nFrames, fRate);
        const double fInputExcerpts
            = excerpts.empty() ? -HUGE_VAL : MeasureExcerpts(*pInput, excerpts, nChannels, fRate, nullptr, false, 0.0);
        if (!std::isfinite(result.before.fIntegratedLufs)) {
            Keep(WholeTrial(0.0));
            result.warnings.push_back("the input has no loudness to measure (silent, or shorter than 0.4 s): "
                                      "written with the settings as "
                                      "given, no gain for the target of "
                + DecibelText(fTarget) + " LUFS");
            result.nExitCode = kExitWarnings;
        } else {
            // Excerpts first: the chain changes their loudness as it changes
            // the whole file's, so the whole file's target, moved by the
            // difference between the input's and the excerpts' loudness, is
            // the excerpts' target.
            double fStart = 0.0, fSlope = 1.0;
            if (std::isfinite(fInputExcerpts)) {
                CTargetSearch search(
                    fTarget - (result.before.fIntegratedLufs - fInputExcerpts), fLowest, fHighest, 0.1);
                search.SetAim(kExcerptAimLu);
                double fOffsetDb = 0.0;
                while (search.Next(fOffsetDb)) {
                    auto MakeRunner = [&]() {
                        return std::make_unique<CChainRunner>(
                            mEngine, mSettings, nChannels, fRate, mRequest.bDualMono, pDrive->GetOverrides(fOffsetDb));
                    };
                    search.Add(fOffsetDb,
                        MeasureExcerpts(
                            *pInput, excerpts, nChannels, fRate, MakeRunner, mRequest.bCeiling, mRequest.fCeilingDbtp));
                    ++delivery.nExcerptRuns;
                }
                fStart = search.GetBestOffsetDb();
                fSlope = search.GetSlope();
            }
            CTargetSearch search(fTarget, fLowest, fHighest, 0.1,
                std::isfinite(fInputExcerpts) ? kMostWholeTrials : CTargetSearch::kMostTrials);
            search.SetFirstSlope(fSlope);
            search.SetAim(kWholeAimLu);
            for (double fOffsetDb = fStart;;) {
                std::unique_ptr<CDeliveryTrial> pTrial = WholeTrial(fOffsetDb);
                search.Add(fOffsetDb, pTrial->GetLoudness());
                Keep(std::move(pTrial));
                if (!search.Next(fOffsetDb))
                    break;
            }
            delivery.bReached = search.IsReached();
            if (!delivery.bReached) {
                const double fClosest = pBest->GetLoudness();
                const double fBound = fClosest < fTarget ? fHighest : fLowest;
                const bool bAtBound = std::fabs(pBest->GetOffsetDb() - fBound) < 0.05;
                result.warnings.push_back("the target of " + DecibelText(fTarget)
                    + " LUFS was not reached: the closest is " + DecibelText(fClosest) + " LUFS ("
                    + pDrive->Describe(pBest->GetOffsetDb())
                    + (bAtBound ? std::string("; the drive is at the end of its range)") : std::string(")")));
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

    WriteFile(*pBest, mRequest, format, nChannels, reader.GetSampleRate(), reader.GetMetadata(), result,
        bPlot ? &plot : nullptr);
    result.bMeasured = mRequest.bMeasure;
    CMasteringJob::WritePlot(mRequest, plot, result);
}

void CDeliveryJob::WriteFile(CDeliveryTrial& trial, const SJobRequest& request, const SOutputFormat& format,
    unsigned nChannels, int nSampleRate, const SAudioMetadata& metadata, SJobResult& result, SPlotData* pPlot)
{
    if (pPlot != nullptr)
        pPlot->gains = trial.GetGainTraces();
    // The file, measured as written. Where what was written still passes
    // the ceiling (dither, a lossy encoder), the ceiling runs again on the
    // parked output, lower by the excess.
    SDeliveryReport& delivery = result.delivery;
    delivery.fCeilingReductionDb = trial.GetCeilingReductionDb();
    double fCeilingDbtp = request.fCeilingDbtp;
    for (int nPass = 1;; ++nPass) {
        CAudioWriter writer;
        writer.Open(request.sOutput, format, nChannels, nSampleRate, metadata, request.eDither);
        CAnalysisWorker after(nChannels, static_cast<double>(nSampleRate));
        if (pPlot != nullptr) {
            pPlot->after.Clear();
            pPlot->truePeak.Clear();
            after.SetSeries(&pPlot->after, &pPlot->truePeak);
        }
        writer.SetWrittenSink([&after, nChannels](const float* pf, unsigned n) {
            after.Add(std::vector<float>(pf, pf + static_cast<size_t>(n) * nChannels));
        });
        std::unique_ptr<CDeliveryLimiter> pCeiling;
        if (nPass > 1)
            pCeiling = std::make_unique<CDeliveryLimiter>(nChannels, static_cast<double>(nSampleRate), fCeilingDbtp);
        CSpoolFile& spool = trial.GetSpool();
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
            delivery.fCeilingReductionDb = std::max(delivery.fCeilingReductionDb, pCeiling->GetDeepestReductionDb());
        }
        writer.Close();
        after.Finish();
        result.after = after.GetResult();
        result.nDitheredSamples = writer.GetDitheredSamples();
        const double fExcessDb = result.after.fTruePeakDb - request.fCeilingDbtp;
        if (request.bCeiling && fExcessDb > 0.0) {
            if (writer.CanRetry() && nPass < kMostCeilingPasses) {
                fCeilingDbtp -= fExcessDb + kRetryMarginDb;
                continue;
            }
            result.warnings.push_back(
                "the output's true peak (" + DecibelText(result.after.fTruePeakDb) + " dBTP) passes the ceiling");
            result.nExitCode = kExitWarnings;
        }
        writer.SetLoudness(result.after);
        writer.Publish(request.bReplace);
        if (writer.GetClippedSamples() > 0)
            result.notes.push_back(std::to_string(writer.GetClippedSamples())
                + " samples were beyond full scale and clipped in the output");
        break;
    }
}
