#include "Manifest.h"

#include "ToolError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

std::string Trim(const std::string& s)
{
    size_t nFrom = 0, nTo = s.size();
    while (nFrom < nTo && std::isspace(static_cast<unsigned char>(s[nFrom])))
        ++nFrom;
    while (nTo > nFrom && std::isspace(static_cast<unsigned char>(s[nTo - 1])))
        --nTo;
    return s.substr(nFrom, nTo - nFrom);
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Resolve(const std::string& sFolder, const std::string& sPath)
{
    if (sPath.empty() || sPath == "-" || sPath[0] == '/' || sFolder.empty())
        return sPath;
    return sFolder + sPath;
}

} // namespace

void CManifest::ParsePart(const std::string& sText, int& nPart, int& nParts)
{
    const size_t nSlash = sText.find('/');
    try {
        size_t nUsed = 0;
        if (nSlash != std::string::npos) {
            nPart = std::stoi(sText.substr(0, nSlash), &nUsed);
            if (nUsed == nSlash) {
                nParts = std::stoi(sText.substr(nSlash + 1), &nUsed);
                if (nUsed == sText.size() - nSlash - 1 && nPart >= 1 && nPart <= nParts)
                    return;
            }
        }
    } catch (const std::exception&) { }
    throw UsageError("--manifest-part must be K/N with 1 <= K <= N, not '" + sText + "'");
}

bool CManifest::SplitRecord(const std::string& sLine, std::vector<std::string>& fields)
{
    fields.clear();
    std::string sField;
    bool bQuoted = false;
    for (size_t i = 0; i < sLine.size(); ++i) {
        const char c = sLine[i];
        if (bQuoted) {
            if (c == '"' && i + 1 < sLine.size() && sLine[i + 1] == '"') {
                sField += '"';
                ++i;
            } else if (c == '"') {
                bQuoted = false;
            } else {
                sField += c;
            }
        } else if (c == '"') {
            bQuoted = true;
        } else if (c == ',') {
            fields.push_back(Trim(sField));
            sField.clear();
        } else if (c != '\r') {
            sField += c;
        }
    }
    fields.push_back(Trim(sField));
    return !bQuoted;
}

std::vector<SManifestRow> CManifest::Read(const std::string& sPath, int nPart, int nParts)
{
    std::ifstream file(sPath);
    if (!file)
        throw FailureError("cannot read the manifest '" + sPath + "': " + std::strerror(errno));
    const size_t nSlash = sPath.rfind('/');
    const std::string sFolder = nSlash == std::string::npos ? std::string() : sPath.substr(0, nSlash + 1);

    std::string sLine;
    std::vector<std::string> fields;
    int nLine = 0;
    int nInput = -1, nOutput = -1, nPreset = -1, nSet = -1;
    while (nInput < 0 && std::getline(file, sLine)) {
        ++nLine;
        if (Trim(sLine).empty())
            continue;
        SplitRecord(sLine, fields);
        for (size_t i = 0; i < fields.size(); ++i) {
            const std::string sName = Lower(fields[i]);
            int* pnColumn = sName == "input" ? &nInput
                : sName == "output"          ? &nOutput
                : sName == "preset"          ? &nPreset
                : sName == "set"             ? &nSet
                                             : nullptr;
            if (pnColumn != nullptr)
                *pnColumn = static_cast<int>(i);
        }
        if (nInput < 0 || nOutput < 0)
            throw UsageError("the manifest '" + sPath + "' needs a header row naming its input and output columns");
    }

    std::vector<SManifestRow> rows;
    int nRow = 0;
    while (std::getline(file, sLine)) {
        ++nLine;
        if (Trim(sLine).empty() || Trim(sLine)[0] == '#')
            continue;
        ++nRow;
        if ((nRow - nPart) % nParts != 0)
            continue;
        SManifestRow row;
        row.nLine = nLine;
        auto Field = [&](int nColumn) {
            return nColumn >= 0 && static_cast<size_t>(nColumn) < fields.size() ? fields[static_cast<size_t>(nColumn)]
                                                                                : std::string();
        };
        if (!SplitRecord(sLine, fields)) {
            row.sError = "a quoted field does not end on its line";
        } else {
            row.sInput = Resolve(sFolder, Field(nInput));
            row.sOutput = Resolve(sFolder, Field(nOutput));
            row.sPreset = Field(nPreset);
            const std::string sSets = Field(nSet);
            for (size_t nFrom = 0; nFrom < sSets.size();) {
                const size_t nEnd = std::min(sSets.find(';', nFrom), sSets.size());
                const std::string sItem = Trim(sSets.substr(nFrom, nEnd - nFrom));
                if (!sItem.empty())
                    row.sets.push_back(sItem);
                nFrom = nEnd + 1;
            }
            if (row.sInput.empty() || row.sOutput.empty())
                row.sError = "no " + std::string(row.sInput.empty() ? "input" : "output");
        }
        rows.push_back(std::move(row));
    }
    return rows;
}
