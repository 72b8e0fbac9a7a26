// The before/after table of a mastering run, as text for people or JSON for
// machines (--report json).
#pragma once

#include "MasteringJob.h"

#include <cstdio>
#include <string>
#include <vector>

class CReport {
public:
    // One file's text block, printed as soon as the file is done.
    static std::string FormatText(const SJobResult& result);
    // Every file in one JSON document, in the order given.
    static std::string FormatJson(const std::vector<SJobResult>& results);
};
