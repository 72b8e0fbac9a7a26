// The files of one `vantor master` run, -j at a time: each item is checked
// before any audio is read, runs as its own job, and is reported in the
// order given whatever order the jobs finish in; a batch ends with a summary.
#pragma once

#include "MasteringJob.h"

#include <cstdio>
#include <string>
#include <vector>

struct SBatchItem {
    std::string sInput;
    std::string sOutput; // "" with --analyze
    const CProcessSettings* pSettings = nullptr;
    std::string sLabel; // "jobs.csv line 7: " in messages, or ""
    bool bSkip = false; // --skip-existing found a complete output
    bool bReplace = false; // -f, or an incomplete output to redo
    int nExitCode = 0; // refused before running: why
    std::string sError;
};

struct SBatchOptions {
    bool bAnalyze = false;
    bool bJson = false;
    bool bQuiet = false;
    EDither eDither = EDither::Tpdf;
    EBitsRequest eBits = EBitsRequest::Keep;
    double fQuality = -1.0;
    int nJobs = 1;
    bool bDualMono = true; // --mono
    bool bTarget = false; // --target LUFS
    double fTargetLufs = -14.0;
    bool bCeiling = false; // --ceiling dBTP (always with a target)
    double fCeilingDbtp = kDefaultCeilingDbtp;
    bool bAlbum = false; // one drive for every file of the run
    bool bPlot = false; // --plot
    std::string sPlot; // its file with IN OUT; beside each output with -d
    bool bPlotBesideOutputs = false;
    FILE* pReportStream = stdout;
};

class CBatchRun {
public:
    CBatchRun(CVantorEngine& engine, const SBatchOptions& options);

    // Runs every item; the run's exit code (the worst of its items).
    int Run(const std::vector<SBatchItem>& items);
    // OUT's picture with -d: its path with ".png" for its extension.
    static std::string PlotBeside(const std::string& sOutput);

private:
    SJobRequest Request(const SBatchItem& item) const;
    SJobResult RunItem(const SBatchItem& item, CProgressBar& progress);
    // --album: the items that can run, as one album job.
    void RunAlbum(const std::vector<SBatchItem>& items, CProgressBar& progress, std::vector<SJobResult>& results);
    void Print(const SBatchItem& item, const SJobResult& result) const;
    void PrintSummary(const std::vector<SJobResult>& results) const;

    CVantorEngine& mEngine;
    SBatchOptions mOptions;
};
