// A catalogue job as a CSV file: a header row naming the columns (input and
// output, optionally preset and set), then one independent job per row.
// "set" holds NAME=VALUE items separated by ';'. Relative paths are taken
// from the manifest's own folder, so a manifest works from any directory
// and on any host that sees the same files. Parts (K of N: rows K, K+N,
// K+2N, ...) let job runners split one manifest without coordination.
#pragma once

#include <string>
#include <vector>

struct SManifestRow {
    int nLine = 0; // in the file, for messages
    std::string sInput, sOutput;
    std::string sPreset; // "" for none
    std::vector<std::string> sets;
    std::string sError; // why the row cannot run, or ""
};

class CManifest {
public:
    // Reads the rows of part nPart of nParts (1-based). Throws a failure
    // when the file cannot be read, a usage error when its header lacks the
    // input or output column.
    static std::vector<SManifestRow> Read(const std::string& sPath, int nPart, int nParts);

    // "K/N" -> K, N; throws a usage error unless 1 <= K <= N.
    static void ParsePart(const std::string& sText, int& nPart, int& nParts);

    // The fields of one CSV record (quotes as in RFC 4180); false when a
    // quoted field does not end on this line.
    static bool SplitRecord(const std::string& sLine, std::vector<std::string>& fields);
};
