#include "BatchRun.h"

#include "AlbumJob.h"
#include "Report.h"
#include "ToolError.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

CBatchRun::CBatchRun(CVantorEngine& engine, const SBatchOptions& options)
    : mEngine(engine)
    , mOptions(options)
{ }

SJobResult CBatchRun::RunItem(const SBatchItem& item, CProgressBar& progress)
{
    if (item.bSkip || item.nExitCode != 0) {
        SJobResult result;
        result.sInput = item.sInput;
        result.sOutput = item.sOutput;
        result.bSkipped = item.bSkip;
        result.nExitCode = item.nExitCode;
        result.sError = item.sError;
        return result;
    }
    CMasteringJob job(mEngine, *item.pSettings, Request(item), progress);
    return job.Run();
}

std::string CBatchRun::PlotBeside(const std::string& sOutput)
{
    const size_t nSlash = sOutput.rfind('/');
    const size_t nDot = sOutput.rfind('.');
    const bool bExtension = nDot != std::string::npos && (nSlash == std::string::npos || nDot > nSlash + 1);
    return (bExtension ? sOutput.substr(0, nDot) : sOutput) + ".png";
}

SJobRequest CBatchRun::Request(const SBatchItem& item) const
{
    SJobRequest request;
    request.sInput = item.sInput;
    request.sOutput = item.sOutput;
    request.bAnalyzeOnly = mOptions.bAnalyze;
    // A picture needs the meters even when the report is not printed.
    request.bMeasure = !mOptions.bQuiet || mOptions.bPlot;
    request.bReplace = item.bReplace;
    request.eDither = mOptions.eDither;
    request.eBits = mOptions.eBits;
    request.fQuality = mOptions.fQuality;
    request.bDualMono = mOptions.bDualMono;
    request.bTarget = mOptions.bTarget;
    request.fTargetLufs = mOptions.fTargetLufs;
    request.bCeiling = mOptions.bCeiling;
    request.fCeilingDbtp = mOptions.fCeilingDbtp;
    if (mOptions.bPlot)
        request.sPlot = mOptions.bPlotBesideOutputs ? PlotBeside(item.sOutput) : mOptions.sPlot;
    return request;
}

void CBatchRun::RunAlbum(const std::vector<SBatchItem>& items, CProgressBar& progress, std::vector<SJobResult>& results)
{
    std::vector<SJobRequest> requests;
    std::vector<size_t> where;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].bSkip || items[i].nExitCode != 0) {
            results[i] = RunItem(items[i], progress); // the refusal or the skip
        } else {
            requests.push_back(Request(items[i]));
            where.push_back(i);
        }
    }
    if (requests.empty())
        return;
    // One album has one setting: the first runnable item's.
    std::vector<SJobResult> album = CAlbumJob(mEngine, *items[where.front()].pSettings, requests, progress).Run();
    for (size_t n = 0; n < album.size() && n < where.size(); ++n)
        results[where[n]] = std::move(album[n]);
}

int CBatchRun::Run(const std::vector<SBatchItem>& items)
{
    CProgressBar progress(!mOptions.bQuiet, items.size());
    std::vector<SJobResult> results(items.size());
    std::vector<bool> finished(items.size(), false);
    std::mutex printMutex;
    size_t nPrinted = 0;
    std::atomic<size_t> nNext { 0 };
    auto Worker = [&]() {
        for (size_t i = nNext++; i < items.size(); i = nNext++) {
            SJobResult result = RunItem(items[i], progress);
            std::lock_guard<std::mutex> lock(printMutex);
            results[i] = std::move(result);
            finished[i] = true;
            // Reports go out in the order of the items.
            progress.Clear();
            for (; nPrinted < items.size() && finished[nPrinted]; ++nPrinted)
                Print(items[nPrinted], results[nPrinted]);
        }
    };
    if (mOptions.bAlbum) {
        RunAlbum(items, progress, results);
        progress.Clear();
        for (size_t i = 0; i < items.size(); ++i)
            Print(items[i], results[i]);
    } else {
        const size_t nThreads = std::min<size_t>(static_cast<size_t>(mOptions.nJobs), items.size());
        std::vector<std::thread> threads;
        for (size_t i = 1; i < nThreads; ++i)
            threads.emplace_back(Worker);
        Worker();
        for (std::thread& thread : threads)
            thread.join();
    }
    progress.Clear();

    if (mOptions.bJson && !mOptions.bQuiet)
        std::fputs(CReport::FormatJson(results).c_str(), mOptions.pReportStream);
    else if (items.size() > 1 && !mOptions.bQuiet)
        PrintSummary(results);
    int nExitCode = kExitOk;
    for (const SJobResult& result : results)
        nExitCode = WorseExitCode(nExitCode, result.nExitCode);
    return nExitCode;
}

void CBatchRun::Print(const SBatchItem& item, const SJobResult& result) const
{
    for (const std::string& sWarning : result.warnings)
        std::fprintf(stderr, "vantor: warning: %s%s\n", item.sLabel.c_str(), sWarning.c_str());
    if (!result.sError.empty())
        std::fprintf(stderr, "vantor: %s%s\n", item.sLabel.c_str(), result.sError.c_str());
    else if (!mOptions.bQuiet && !mOptions.bJson)
        std::fputs(CReport::FormatText(result).c_str(), mOptions.pReportStream);
    if (!result.sPlotError.empty())
        std::fprintf(stderr, "vantor: %s%s\n", item.sLabel.c_str(), result.sPlotError.c_str());
    std::fflush(mOptions.pReportStream);
}

void CBatchRun::PrintSummary(const std::vector<SJobResult>& results) const
{
    const SBatchSummary summary = CReport::Summarise(results);
    std::fprintf(mOptions.pReportStream, "%s\n", CReport::FormatSummary(summary).c_str());
}
