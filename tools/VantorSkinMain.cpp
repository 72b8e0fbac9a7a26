// vantor-skin: looks into a skin file.
//
//   vantor-skin list Vantor.xrs
//       one "TYPE ID SIZE" line per resource
//   vantor-skin render Vantor.xrs --editor MODE -o out.png
//       the editor window of a processor mode (chain, eq, compressor,
//       limiter, clipper or 0 … 4) with its panels where the editor puts them
//   vantor-skin render Vantor.xrs --layout N [--set CONTROL=VALUE ...] -o out.png
//       one layout (100 … 104: the editor of that mode); --set gives control
//       CONTROL of the panel a value (active rotaries take positions
//       0 … 30000, text fields take text)
//   ... --script FILE
//       runs an input script on the window before writing (see
//       toolkit/epiScript.h); "snap NAME" statements write NAME as PNG
#include "tools/SkinPreview.h"

#include "toolkit/epiDiskResFile.h"
#include "toolkit/epiPath.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

int Usage()
{
    std::fprintf(stderr,
        "usage: vantor-skin list FILE.xrs\n"
        "       vantor-skin render FILE.xrs --editor chain|eq|compressor|limiter|clipper [--script FILE] -o OUT.png\n"
        "       vantor-skin render FILE.xrs --layout N [--set CONTROL=VALUE ...] [--script FILE] -o OUT.png\n");
    return 2;
}

std::string TypeText(uint32_t nType)
{
    std::string sText;
    for (int nShift = 24; nShift >= 0; nShift -= 8) {
        const char c = static_cast<char>((nType >> nShift) & 0xFF);
        sText += (c >= 32 && c < 127) ? c : '?';
    }
    return sText;
}

int ModeOf(const std::string& sMode)
{
    static const std::map<std::string, int> modes
        = { { "eq", 0 }, { "compressor", 1 }, { "limiter", 2 }, { "clipper", 3 }, { "chain", 4 } };
    auto it = modes.find(sMode);
    if (it != modes.end())
        return it->second;
    if (sMode.size() == 1 && sMode[0] >= '0' && sMode[0] <= '4')
        return sMode[0] - '0';
    return -1;
}

int List(const char* pszFile)
{
    epiDiskResFile file;
    file.SetReadOnly(true);
    if (!file.SetPath(epi::ToolkitPathFrom(pszFile)) || !file.Open()) {
        std::fprintf(stderr, "vantor-skin: %s is not a readable skin file\n", pszFile);
        return 1;
    }
    for (int i = 0; i < file.Count(); ++i) {
        uint32_t nType = 0;
        int32_t iId = 0, nSize = 0;
        file.GetEntry(i, &nType, &iId, &nSize);
        std::printf("%s %d %d\n", TypeText(nType).c_str(), iId, nSize);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string sCommand = argv[1];
    if (sCommand == "list" && argc == 3)
        return List(argv[2]);
    if (sCommand != "render")
        return Usage();

    long nLayout = -1;
    int nMode = -1;
    std::string sOutput, sScriptFile;
    std::vector<std::pair<int, std::string>> settings;
    for (int i = 3; i < argc; ++i) {
        const std::string sOption = argv[i];
        if (i + 1 >= argc)
            return Usage();
        const std::string sValue = argv[++i];
        if (sOption == "--layout") {
            nLayout = std::strtol(sValue.c_str(), nullptr, 10);
        } else if (sOption == "--editor") {
            nMode = ModeOf(sValue);
            if (nMode < 0) {
                std::fprintf(stderr, "vantor-skin: unknown mode %s\n", sValue.c_str());
                return 2;
            }
        } else if (sOption == "--set") {
            const size_t nEquals = sValue.find('=');
            char* pEnd = nullptr;
            const long nControl = std::strtol(sValue.substr(0, nEquals).c_str(), &pEnd, 10);
            if (nEquals == std::string::npos || nEquals == 0 || *pEnd != '\0') {
                std::fprintf(stderr, "vantor-skin: --set needs CONTROL=VALUE, not %s\n", sValue.c_str());
                return 2;
            }
            settings.emplace_back(static_cast<int>(nControl), sValue.substr(nEquals + 1));
        } else if (sOption == "--script") {
            sScriptFile = sValue;
        } else if (sOption == "-o") {
            sOutput = sValue;
        } else {
            return Usage();
        }
    }
    if ((nLayout < 0) == (nMode < 0) || sOutput.empty())
        return Usage();

    CSkinPreview preview;
    if (!preview.Open(argv[2])) {
        std::fprintf(stderr, "vantor-skin: %s is not a readable skin file\n", argv[2]);
        return 1;
    }
    if (nMode >= 0 ? !preview.ComposeEditor(nMode) : !preview.ComposeLayout(static_cast<int32_t>(nLayout))) {
        std::fprintf(stderr, "vantor-skin: layout %ld is missing or empty\n", nMode >= 0 ? 100L + nMode : nLayout);
        return 1;
    }
    for (const auto& setting : settings)
        if (!preview.Set(setting.first, setting.second)) {
            std::fprintf(stderr, "vantor-skin: cannot set control %d to '%s'\n", setting.first, setting.second.c_str());
            return 1;
        }
    if (!sScriptFile.empty()) {
        std::ifstream input(sScriptFile);
        if (!input) {
            std::fprintf(stderr, "vantor-skin: cannot read %s\n", sScriptFile.c_str());
            return 1;
        }
        std::stringstream text;
        text << input.rdbuf();
        std::string sError;
        if (!preview.RunScript(text.str(), sError)) {
            std::fprintf(stderr, "vantor-skin: %s: %s\n", sScriptFile.c_str(), sError.c_str());
            return 1;
        }
    }
    if (!CSkinPreview::WritePng(preview.Map(), sOutput)) {
        std::fprintf(stderr, "vantor-skin: cannot write %s\n", sOutput.c_str());
        return 1;
    }
    return 0;
}
