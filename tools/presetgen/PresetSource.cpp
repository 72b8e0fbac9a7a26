#include "PresetSource.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace {

std::string Trim(const std::string& s)
{
    const size_t nFirst = s.find_first_not_of(" \t");
    if (nFirst == std::string::npos)
        return std::string();
    return s.substr(nFirst, s.find_last_not_of(" \t\r") - nFirst + 1);
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

} // namespace

int ModeFromName(const std::string& sName)
{
    static const char* const kModes[] = { "eq", "compressor", "limiter", "clipper", "chain" };
    const std::string sWanted = Lower(Trim(sName));
    for (int i = 0; i < 5; ++i) {
        if (sWanted == kModes[i])
            return i;
    }
    return -1;
}

bool ReadPresetSource(const std::string& sPath, SPresetSource& source, std::string& sError)
{
    std::ifstream file(sPath);
    if (!file) {
        sError = sPath + ": cannot be read";
        return false;
    }
    source = SPresetSource();
    bool bHaveMode = false;
    std::string sLine;
    for (int nLine = 1; std::getline(file, sLine); ++nLine) {
        const std::string sTrimmed = Trim(sLine);
        if (nLine == 1) {
            if (sTrimmed.size() < 2 || sTrimmed[0] != '#') {
                sError = sPath + ":1: the first line must be '# description'";
                return false;
            }
            source.sDescription = Trim(sTrimmed.substr(1));
            continue;
        }
        const std::string sContent = Trim(sTrimmed.substr(0, sTrimmed.find('#')));
        if (sContent.empty())
            continue;
        const size_t nEquals = sContent.find('=');
        if (nEquals == std::string::npos) {
            sError = sPath + ":" + std::to_string(nLine) + ": expected NAME = VALUE";
            return false;
        }
        if (Lower(Trim(sContent.substr(0, nEquals))) == "mode") {
            const int nMode = ModeFromName(sContent.substr(nEquals + 1));
            if (nMode < 0) {
                sError
                    = sPath + ":" + std::to_string(nLine) + ": mode must be chain, eq, compressor, limiter or clipper";
                return false;
            }
            source.nMode = static_cast<unsigned>(nMode);
            bHaveMode = true;
            continue;
        }
        source.assignments.push_back({ sContent, nLine });
    }
    if (!bHaveMode) {
        sError = sPath + ": no 'mode = ...' line";
        return false;
    }
    return true;
}
