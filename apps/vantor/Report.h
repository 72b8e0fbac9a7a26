// The before/after table of a mastering run, as text for people or JSON for
// machines (--report json).
#pragma once

#include "MasteringJob.h"

#include <cstdio>
#include <string>
#include <vector>

// What a batch came to.
struct SBatchSummary {
    size_t nFiles = 0;
    size_t nDone = 0; // written (or measured), warnings or not
    size_t nWithWarnings = 0;
    size_t nSkipped = 0;
    size_t nFailed = 0;
};

class CReport {
public:
    // One file's text block, printed as soon as the file is done.
    static std::string FormatText(const SJobResult& result);
    // Every file in one JSON document, in the order given, and the summary.
    static std::string FormatJson(const std::vector<SJobResult>& results);

    static SBatchSummary Summarise(const std::vector<SJobResult>& results);
    // "20 files: 17 done (2 with warnings), 2 skipped, 1 failed"
    static std::string FormatSummary(const SBatchSummary& summary);
};
