#include "MasteringJob.h"

#include "AnalysisWorker.h"
#include "ChainRunner.h"
#include "DeliveryJob.h"
#include "ToolError.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <memory>

CMasteringJob::CMasteringJob(
    CVantorEngine& engine, const CProcessSettings& settings, const SJobRequest& request, CProgressBar& progress)
    : mEngine(engine)
    , mSettings(settings)
    , mRequest(request)
    , mProgress(progress)
{ }

SJobResult CMasteringJob::Run()
{
    SJobResult result;
    result.sInput = mRequest.sInput;
    result.sOutput = mRequest.sOutput;
    try {
        CAudioReader reader;
        reader.Open(mRequest.sInput);
        result.nSampleRate = reader.GetSampleRate();
        result.nChannels = reader.GetChannels();
        if (mRequest.bAnalyzeOnly)
            Analyze(reader, result);
        else
            Master(reader, result);
    } catch (const CToolError& error) {
        result.nExitCode = error.GetExitCode();
        result.sError = error.what();
    } catch (const std::bad_alloc&) {
        result.nExitCode = kExitFailure;
        result.sError = mRequest.sInput + ": out of memory";
    }
    return result;
}

namespace {

// Ends a file's place in the progress display however the job ends.
class CProgressSlot {
public:
    CProgressSlot(CProgressBar& progress, const CAudioReader& reader)
        : mProgress(progress)
        , mnSlot(progress.Begin(reader.GetAnnouncedFrames(), reader.GetSampleRate()))
    { }
    ~CProgressSlot() { mProgress.End(mnSlot); }
    void Add(long long nFrames) { mProgress.Add(mnSlot, nFrames); }

private:
    CProgressBar& mProgress;
    int mnSlot;
};

} // namespace

void CMasteringJob::CheckWhole(const CAudioReader& reader, SJobResult& result)
{
    const std::string sDamage = reader.GetDamage();
    if (sDamage.empty())
        return;
    result.warnings.push_back(sDamage
        + (mRequest.bAnalyzeOnly ? std::string("; measured what was read") : "; the output holds what was read"));
    result.nExitCode = kExitWarnings;
}

void CMasteringJob::Analyze(CAudioReader& reader, SJobResult& result)
{
    const unsigned nChannels = reader.GetChannels();
    CProgressSlot progress(mProgress, reader);
    CLoudnessMeter meter(nChannels, reader.GetSampleRate());
    std::vector<float> block(static_cast<size_t>(kBlockFrames) * nChannels);
    while (const unsigned nRead = reader.Read(block.data(), kBlockFrames)) {
        meter.Add(block.data(), nRead);
        result.nFrames += nRead;
        progress.Add(nRead);
    }
    if (result.nFrames == 0)
        throw FailureError("'" + mRequest.sInput + "' holds no audio (zero length)");
    result.before = meter.GetResult();
    result.bMeasured = true;
    CheckWhole(reader, result);
}

void CMasteringJob::Master(CAudioReader& reader, SJobResult& result)
{
    const unsigned nChannels = reader.GetChannels();
    const double fRate = reader.GetSampleRate();
    SOutputFormat format = ChooseOutputFormat(mRequest.sOutput, reader.GetFormat(), mRequest.eBits);
    SetQuality(format, mRequest.fQuality);
    if (!format.sNote.empty())
        result.notes.push_back(format.sNote);
    if (mRequest.bTarget || mRequest.bCeiling) {
        CProgressSlot progress(mProgress, reader);
        CDeliveryJob job(mEngine, mSettings, mRequest, [&progress](long long nFrames) { progress.Add(nFrames); });
        job.Run(reader, format, result);
        CheckWhole(reader, result);
        return;
    }

    CChainRunner runner(mEngine, mSettings, nChannels, fRate, mRequest.bDualMono);
    CAudioWriter writer;
    writer.Open(mRequest.sOutput, format, nChannels, reader.GetSampleRate(), reader.GetMetadata(), mRequest.eDither);
    std::unique_ptr<CAnalysisWorker> pBefore, pAfter;
    std::unique_ptr<CLoudestPassage> pPassage;
    const bool bPlot = !mRequest.sPlot.empty();
    SPlotData plot;
    if (mRequest.bMeasure) {
        pBefore = std::make_unique<CAnalysisWorker>(nChannels, fRate);
        pAfter = std::make_unique<CAnalysisWorker>(nChannels, fRate);
        pPassage = std::make_unique<CLoudestPassage>(nChannels, fRate);
        if (bPlot) {
            pBefore->SetSeries(&plot.before, nullptr);
            pAfter->SetSeries(&plot.after, &plot.truePeak);
            runner.SetGainTraces(&plot.gains);
        }
        // The "after" figures measure the file as written.
        CAnalysisWorker* pWorker = pAfter.get();
        writer.SetWrittenSink([pWorker, nChannels](const float* pf, unsigned n) {
            pWorker->Add(std::vector<float>(pf, pf + static_cast<size_t>(n) * nChannels));
        });
    }
    CProgressSlot progress(mProgress, reader);

    std::vector<float> input(static_cast<size_t>(kBlockFrames) * nChannels);
    std::vector<float> output(input.size());
    while (const unsigned nFrames = reader.Read(input.data(), kBlockFrames)) {
        result.nFrames += nFrames;
        if (const unsigned nKept = runner.Process(input.data(), nFrames, output.data()))
            writer.Write(output.data(), nKept);
        if (mRequest.bMeasure) {
            pBefore->Add(std::vector<float>(input.begin(), input.begin() + nFrames * nChannels));
            pPassage->Add(input.data(), nFrames);
        }
        progress.Add(nFrames);
    }
    if (result.nFrames == 0)
        throw FailureError("'" + mRequest.sInput + "' holds no audio (zero length)");
    // The tail: silence pushes the last latency's worth of frames out.
    if (const unsigned nKept = runner.Flush(output.data()))
        writer.Write(output.data(), nKept);

    if (mRequest.bMeasure) {
        // The probes run while the analysis threads catch up.
        CGainReductionProbe probe(mEngine, mSettings, nChannels, fRate);
        probe.SetDualMono(mRequest.bDualMono);
        result.gainReduction = probe.Measure(*pPassage);
    }
    writer.Close();
    if (mRequest.bMeasure) {
        pBefore->Finish();
        pAfter->Finish();
        result.before = pBefore->GetResult();
        result.after = pAfter->GetResult();
        result.bMeasured = true;
        writer.SetLoudness(result.after);
    }
    writer.Publish(mRequest.bReplace);
    result.nDitheredSamples = writer.GetDitheredSamples();
    if (writer.GetClippedSamples() > 0)
        result.notes.push_back(
            std::to_string(writer.GetClippedSamples()) + " samples were beyond full scale and clipped in the output");
    CheckWhole(reader, result);
    WritePlot(mRequest, plot, result);
}

void CMasteringJob::WritePlot(const SJobRequest& request, SPlotData& plot, SJobResult& result)
{
    if (request.sPlot.empty() || !result.bMeasured)
        return;
    const std::string& sName = request.sOutput == "-" ? request.sInput : request.sOutput;
    plot.sTitle = sName.substr(sName.rfind('/') == std::string::npos ? 0 : sName.rfind('/') + 1);
    if (!std::isfinite(result.before.fIntegratedLufs) || !std::isfinite(result.after.fIntegratedLufs))
        plot.sTitle += "  (no integrated loudness)";
    else
        plot.sTitle += "  -  " + DecibelText(result.before.fIntegratedLufs) + " -> "
            + DecibelText(result.after.fIntegratedLufs) + " LUFS integrated, true peak "
            + DecibelText(result.after.fTruePeakDb) + " dBTP";
    plot.fSeconds = result.nSampleRate > 0 ? static_cast<double>(result.nFrames) / result.nSampleRate : 0.0;
    plot.bCompressor = result.gainReduction.bCompressor;
    plot.bLimiter = result.gainReduction.bLimiter;
    plot.bTarget = result.delivery.bTarget;
    plot.fTargetLufs = result.delivery.fTargetLufs;
    plot.bCeiling = result.delivery.bCeiling;
    plot.fCeilingDbtp = result.delivery.fCeilingDbtp;
    std::string sError;
    if (!CPlotPainter(plot).WritePng(request.sPlot, sError)) {
        result.sPlotError = sError;
        result.nExitCode = WorseExitCode(result.nExitCode, kExitFailure);
    }
}
