// vantor-skin: looks into a skin file.
//
//   vantor-skin list Vantor.xrs                       one "TYPE ID SIZE" line per resource
//   vantor-skin render Vantor.xrs --layout N -o x.png a layout drawn to a PNG
#include "tools/SkinPreview.h"

#include "toolkit/epiDiskResFile.h"
#include "toolkit/epiPath.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr,
        "usage: vantor-skin list FILE.xrs\n"
        "       vantor-skin render FILE.xrs --layout N -o OUT.png\n");
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

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string sCommand = argv[1];
    epiDiskResFile file;
    file.SetReadOnly(true);
    if (!file.SetPath(epi::ToolkitPathFrom(argv[2])) || !file.Open()) {
        std::fprintf(stderr, "vantor-skin: %s is not a readable skin file\n", argv[2]);
        return 1;
    }
    if (sCommand == "list" && argc == 3) {
        for (int i = 0; i < file.Count(); ++i) {
            uint32_t nType = 0;
            int32_t iId = 0, nSize = 0;
            file.GetEntry(i, &nType, &iId, &nSize);
            std::printf("%s %d %d\n", TypeText(nType).c_str(), iId, nSize);
        }
        return 0;
    }
    if (sCommand != "render")
        return Usage();
    long nLayout = -1;
    std::string sOutput;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string sOption = argv[i];
        if (sOption == "--layout")
            nLayout = std::strtol(argv[i + 1], nullptr, 10);
        else if (sOption == "-o")
            sOutput = argv[i + 1];
        else
            return Usage();
    }
    if (nLayout < 0 || sOutput.empty())
        return Usage();
    CSkinPreview preview(file);
    epiOffmap map;
    if (!preview.Render(static_cast<int32_t>(nLayout), map)) {
        std::fprintf(stderr, "vantor-skin: layout %ld is missing or empty\n", nLayout);
        return 1;
    }
    if (!CSkinPreview::WritePng(map, sOutput)) {
        std::fprintf(stderr, "vantor-skin: cannot write %s\n", sOutput.c_str());
        return 1;
    }
    return 0;
}
