#include "AlbumJob.h"

#include "AnalysisWorker.h"
#include "ChainRunner.h"
#include "DeliveryJob.h"
#include "DeliveryTrial.h"
#include "DriveGain.h"
#include "LoudestPassage.h"
#include "SpoolFile.h"
#include "TargetSearch.h"
#include "ToolError.h"

#include <ebur128.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr unsigned kBlockFrames = CChainRunner::kBlockFrames;

// One file of the album between the passes.
struct SAlbumFile {
    SJobRequest request;
    SJobResult result;
    bool bFailed = false;
    SOutputFormat format;
    SAudioMetadata metadata;
    unsigned nChannels = 0;
    std::unique_ptr<CSpoolFile> pInput;
    std::unique_ptr<CLoudestPassage> pPassage;
    std::unique_ptr<CDeliveryTrial> pBest;
    std::unique_ptr<SPlotData> pPlot; // --plot
};

} // namespace

CAlbumJob::CAlbumJob(
    CVantorEngine& engine, const CProcessSettings& settings, std::vector<SJobRequest> requests, CProgressBar& progress)
    : mEngine(engine)
    , mSettings(settings)
    , mRequests(std::move(requests))
    , mProgress(progress)
{ }

std::vector<SJobResult> CAlbumJob::Run()
{
    std::vector<SAlbumFile> files(mRequests.size());
    // Every input read once: measured, its loudest passage kept, parked.
    for (size_t i = 0; i < files.size(); ++i) {
        SAlbumFile& file = files[i];
        file.request = mRequests[i];
        file.result.sInput = file.request.sInput;
        file.result.sOutput = file.request.sOutput;
        try {
            CAudioReader reader;
            reader.Open(file.request.sInput);
            file.result.nSampleRate = reader.GetSampleRate();
            file.nChannels = reader.GetChannels();
            file.result.nChannels = file.nChannels;
            file.format = ChooseOutputFormat(file.request.sOutput, reader.GetFormat(), file.request.eBits);
            if (!file.format.sNote.empty())
                file.result.notes.push_back(file.format.sNote);
            file.metadata = reader.GetMetadata();
            const double fRate = reader.GetSampleRate();
            CAnalysisWorker before(file.nChannels, fRate);
            if (!file.request.sPlot.empty()) {
                file.pPlot = std::make_unique<SPlotData>();
                before.SetSeries(&file.pPlot->before, nullptr);
            }
            file.pPassage = std::make_unique<CLoudestPassage>(file.nChannels, fRate);
            file.pInput = std::make_unique<CSpoolFile>(file.nChannels);
            const int nSlot = mProgress.Begin(reader.GetAnnouncedFrames(), fRate);
            std::vector<float> input(static_cast<size_t>(kBlockFrames) * file.nChannels);
            while (const unsigned nFrames = reader.Read(input.data(), kBlockFrames)) {
                file.result.nFrames += nFrames;
                before.Add(std::vector<float>(input.begin(), input.begin() + nFrames * file.nChannels));
                file.pPassage->Add(input.data(), nFrames);
                file.pInput->Write(input.data(), nFrames);
                mProgress.Add(nSlot, nFrames);
            }
            mProgress.End(nSlot);
            if (file.result.nFrames == 0)
                throw FailureError("'" + file.request.sInput + "' holds no audio (zero length)");
            before.Finish();
            file.result.before = before.GetResult();
            const std::string sDamage = reader.GetDamage();
            if (!sDamage.empty()) {
                file.result.warnings.push_back(sDamage + "; the output holds what was read");
                file.result.nExitCode = kExitWarnings;
            }
        } catch (const CToolError& error) {
            file.bFailed = true;
            file.result.nExitCode = error.GetExitCode();
            file.result.sError = error.what();
        } catch (const std::bad_alloc&) {
            file.bFailed = true;
            file.result.nExitCode = kExitFailure;
            file.result.sError = file.request.sInput + ": out of memory";
        }
    }

    std::vector<SAlbumFile*> album;
    bool bSilent = true;
    for (SAlbumFile& file : files) {
        if (!file.bFailed) {
            album.push_back(&file);
            bSilent = bSilent && !std::isfinite(file.result.before.fIntegratedLufs);
        }
    }
    std::vector<SJobResult> results;
    try {
        if (!album.empty()) {
            const SJobRequest& first = album.front()->request;
            const double fTarget = first.fTargetLufs;
            const CDriveGain drive(mEngine, mSettings);
            int nRuns = 0;
            // Every file through the chain with one drive; the album's loudness.
            auto Trial = [&](double fOffsetDb, std::vector<std::unique_ptr<CDeliveryTrial>>& trials) {
                std::vector<ebur128_state*> states;
                for (SAlbumFile* pFile : album) {
                    const double fRate = pFile->result.nSampleRate;
                    auto pTrial = std::make_unique<CDeliveryTrial>(
                        pFile->nChannels, fRate, fOffsetDb, pFile->request.bCeiling, pFile->request.fCeilingDbtp);
                    CChainRunner runner(mEngine, mSettings, pFile->nChannels, fRate, pFile->request.bDualMono,
                        drive.GetOverrides(fOffsetDb));
                    if (pFile->pPlot)
                        runner.SetGainTraces(&pTrial->GetGainTraces());
                    std::vector<float> input(static_cast<size_t>(kBlockFrames) * pFile->nChannels);
                    std::vector<float> output(input.size());
                    pFile->pInput->Rewind();
                    while (const unsigned nFrames = pFile->pInput->Read(input.data(), kBlockFrames))
                        pTrial->Add(output.data(), runner.Process(input.data(), nFrames, output.data()));
                    pTrial->Add(output.data(), runner.Flush(output.data()));
                    pTrial->Finish();
                    states.push_back(pTrial->GetState());
                    trials.push_back(std::move(pTrial));
                }
                ++nRuns;
                double fLoudness = -HUGE_VAL;
                if (ebur128_loudness_global_multiple(states.data(), states.size(), &fLoudness) != EBUR128_SUCCESS)
                    fLoudness = -HUGE_VAL;
                return fLoudness;
            };

            std::vector<std::unique_ptr<CDeliveryTrial>> best;
            double fBestLoudness = Trial(0.0, best);
            double fBestOffset = 0.0;
            bool bReached = false;
            std::string sWarning;
            if (bSilent || !std::isfinite(fBestLoudness)) {
                sWarning = "the album has no loudness to measure (silent, or too short): written with the settings as "
                           "given, no "
                           "gain for the target of "
                    + DecibelText(fTarget) + " LUFS";
            } else {
                CTargetSearch search(fTarget, drive.GetLowestDb(), drive.GetHighestDb(), 0.1);
                search.SetAim(0.15);
                search.Add(0.0, fBestLoudness);
                double fOffsetDb = 0.0;
                while (search.Next(fOffsetDb)) {
                    std::vector<std::unique_ptr<CDeliveryTrial>> trials;
                    const double fLoudness = Trial(fOffsetDb, trials);
                    search.Add(fOffsetDb, fLoudness);
                    if (std::isfinite(fLoudness)
                        && std::fabs(fLoudness - fTarget) < std::fabs(fBestLoudness - fTarget)) {
                        best = std::move(trials);
                        fBestLoudness = fLoudness;
                        fBestOffset = fOffsetDb;
                    }
                }
                bReached = search.IsReached();
                if (!bReached)
                    sWarning = "the album target of " + DecibelText(fTarget) + " LUFS was not reached: the closest is "
                        + DecibelText(fBestLoudness) + " LUFS (" + drive.Describe(fBestOffset) + ")";
            }
            for (size_t n = 0; n < album.size(); ++n) {
                SAlbumFile& file = *album[n];
                SDeliveryReport& delivery = file.result.delivery;
                delivery.bTarget = true;
                delivery.bAlbum = true;
                delivery.fAlbumLufs = fBestLoudness;
                delivery.fTargetLufs = fTarget;
                delivery.bReached = bReached;
                delivery.fDriveDb = fBestOffset;
                delivery.sDrive = drive.Describe(fBestOffset);
                delivery.nChainRuns = nRuns;
                delivery.bCeiling = file.request.bCeiling;
                delivery.fCeilingDbtp = file.request.fCeilingDbtp;
                if (!sWarning.empty()) {
                    file.result.warnings.push_back(sWarning);
                    file.result.nExitCode = kExitWarnings;
                }
                try {
                    file.pInput.reset();
                    if (file.request.bMeasure) {
                        CGainReductionProbe probe(mEngine, mSettings, file.nChannels, file.result.nSampleRate);
                        probe.SetDualMono(file.request.bDualMono);
                        probe.SetOverrides(drive.GetOverrides(fBestOffset));
                        file.result.gainReduction = probe.Measure(*file.pPassage);
                    }
                    CDeliveryJob::WriteFile(*best[n], file.request, file.format, file.nChannels,
                        file.result.nSampleRate, file.metadata, file.result, file.pPlot.get());
                    file.result.bMeasured = file.request.bMeasure;
                    if (file.pPlot)
                        CMasteringJob::WritePlot(file.request, *file.pPlot, file.result);
                    best[n].reset();
                } catch (const CToolError& error) {
                    file.result.nExitCode = error.GetExitCode();
                    file.result.sError = error.what();
                }
            }
        }
    } catch (const CToolError& error) {
        for (SAlbumFile* pFile : album) {
            if (pFile->result.sError.empty() && !pFile->result.bMeasured) {
                pFile->result.nExitCode = error.GetExitCode();
                pFile->result.sError = error.what();
            }
        }
    }
    results.reserve(results.size() + files.size());
    for (SAlbumFile& file : files)
        results.push_back(std::move(file.result));
    return results;
}
