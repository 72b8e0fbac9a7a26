// A factory preset source: a description line, a mode and NAME = VALUE
// assignments in engineering units (see presets/factory/README.md).
#pragma once

#include <string>
#include <vector>

struct SPresetSource {
    std::string sDescription;
    unsigned nMode = 4; // process type: 0 eq, 1 compressor, 2 limiter, 3 clipper, 4 chain
    struct SAssignment {
        std::string sText; // "NAME = VALUE" as written
        int nLine;
    };
    std::vector<SAssignment> assignments;
};

// Reads a source; false with sError ("file:line: message") when it is not one.
bool ReadPresetSource(const std::string& sPath, SPresetSource& source, std::string& sError);

// "chain", "eq", "compressor", "limiter", "clipper" -> process type; -1 otherwise.
int ModeFromName(const std::string& sName);
