// vantor-skin-builder: draws the skin and writes Vantor.xrs.
//
//   vantor-skin-builder --skin SKIN_FOLDER --fonts FONT_FOLDER -o Vantor.xrs
//
// SKIN_FOLDER holds casts.txt (cast ids and names; fonts with their file and
// pixel size) and layouts/*.txt (one layout each). The file is built in
// memory and replaces the output through a temporary file and a rename.
#include "tools/SkinFont.h"
#include "tools/SkinImage.h"
#include "tools/SkinLayoutSource.h"
#include "tools/SkinPainter.h"

#include "toolkit/epiRamResFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct SCastSource {
    int nId = 0;
    std::string sName;
    std::string sFontFile; // fonts only
    int nFontPixels = 0;
};

bool ReadCastList(const std::string& sPath, std::vector<SCastSource>& casts, std::string& sError)
{
    std::ifstream stream(sPath);
    if (!stream) {
        sError = sPath + ": cannot be read";
        return false;
    }
    std::string sLine;
    int nLine = 0;
    std::set<int> ids;
    while (std::getline(stream, sLine)) {
        ++nLine;
        sLine = sLine.substr(0, sLine.find('#'));
        std::istringstream words(sLine);
        SCastSource cast;
        if (!(words >> cast.nId))
            continue;
        std::string sKind;
        if (!(words >> cast.sName)
            || (words >> sKind && (sKind != "font" || !(words >> cast.sFontFile >> cast.nFontPixels))) || cast.nId <= 0
            || !ids.insert(cast.nId).second) {
            sError = sPath + ":" + std::to_string(nLine) + ": expected \"ID NAME [font FILE PIXELS]\" with a new id";
            return false;
        }
        casts.push_back(cast);
    }
    return true;
}

int Fail(const std::string& sMessage)
{
    std::fprintf(stderr, "vantor-skin-builder: %s\n", sMessage.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string sSkin, sFonts, sOutput;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string sOption = argv[i];
        if (sOption == "--skin")
            sSkin = argv[i + 1];
        else if (sOption == "--fonts")
            sFonts = argv[i + 1];
        else if (sOption == "-o")
            sOutput = argv[i + 1];
    }
    if (sSkin.empty() || sFonts.empty() || sOutput.empty())
        return Fail("usage: vantor-skin-builder --skin SKIN_FOLDER --fonts FONT_FOLDER -o Vantor.xrs");

    std::string sError;
    std::vector<SCastSource> casts;
    if (!ReadCastList(sSkin + "/casts.txt", casts, sError))
        return Fail(sError);
    std::map<std::string, int> castIds;
    for (const SCastSource& cast : casts)
        castIds[cast.sName] = cast.nId;

    std::vector<std::string> layoutFiles;
    std::error_code errorCode;
    for (const auto& entry : std::filesystem::directory_iterator(sSkin + "/layouts", errorCode))
        if (entry.path().extension() == ".txt")
            layoutFiles.push_back(entry.path().string());
    std::sort(layoutFiles.begin(), layoutFiles.end());
    if (layoutFiles.empty())
        return Fail(sSkin + "/layouts holds no layout");
    std::vector<SSkinLayoutSource> layouts(layoutFiles.size());
    std::map<std::string, const SSkinLayoutSource*> backgrounds;
    std::set<int> layoutIds;
    for (size_t i = 0; i < layoutFiles.size(); ++i) {
        if (!ParseSkinLayout(layoutFiles[i], layouts[i], sError) || !ResolveSkinCasts(layouts[i], castIds, sError))
            return Fail(sError);
        if (!layoutIds.insert(layouts[i].nId).second)
            return Fail(layoutFiles[i] + ": layout id " + std::to_string(layouts[i].nId) + " given twice");
        if (!layouts[i].sBackground.empty())
            backgrounds[layouts[i].sBackground] = &layouts[i];
    }

    CSkinPainter painter(sFonts);
    if (!painter.IsReady())
        return Fail("the DejaVu fonts are missing from " + sFonts + " (install fonts-dejavu-core)");
    epiRamResFile file;
    if (!file.CreateInMemory(4 << 20))
        return Fail("out of memory");

    // Control images and fonts first: the backgrounds need their sizes.
    std::map<int, std::pair<int, int>> sizes;
    for (const SCastSource& cast : casts) {
        if (backgrounds.count(cast.sName) != 0)
            continue;
        bool bDone = false;
        if (!cast.sFontFile.empty()) {
            SSkinPlanes planes;
            if (!RasteriseSkinFont(sFonts + "/" + cast.sFontFile, cast.nFontPixels, planes))
                return Fail("the font " + cast.sFontFile + " is missing from " + sFonts);
            bDone = WriteSkinCast(file, cast.nId, planes);
            sizes[cast.nId] = { planes.nWidth, planes.nHeight };
        } else {
            bool bWithMask = false;
            const auto pImage = painter.DrawNamed(cast.sName, bWithMask);
            if (!pImage)
                return Fail("casts.txt names " + cast.sName + ", which the painter does not draw");
            bDone = pImage->WriteCast(file, cast.nId, bWithMask);
            sizes[cast.nId] = { pImage->Width(), pImage->Height() };
        }
        if (!bDone)
            return Fail("cannot store cast " + cast.sName);
    }
    for (const SCastSource& cast : casts) {
        const auto found = backgrounds.find(cast.sName);
        if (found == backgrounds.end())
            continue;
        const auto pImage = painter.DrawBackground(*found->second, sizes);
        if (!pImage->WriteCast(file, cast.nId, false))
            return Fail("cannot store cast " + cast.sName);
        sizes[cast.nId] = { pImage->Width(), pImage->Height() };
    }
    for (const auto& background : backgrounds)
        if (castIds.count(background.first) == 0)
            return Fail(background.second->sFile + ": the background " + background.first + " has no id in casts.txt");

    for (const SSkinLayoutSource& layout : layouts) {
        const std::vector<uint8_t> bytes = layout.layout.Serialise(layout.nCapacity);
        if (bytes.empty())
            return Fail(layout.sFile + ": more controls than the capacity holds");
        if (!file.Put(bytes.data(), static_cast<int32_t>(bytes.size()), kEpiTypeLayout, layout.nId))
            return Fail("cannot store layout " + std::to_string(layout.nId));
    }

    file.Close();
    const std::string sTemporary = sOutput + ".part";
    {
        std::ofstream out(sTemporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.GetBuffer()), file.GetBufferSize());
        if (!out.flush())
            return Fail("cannot write " + sTemporary);
    }
    std::filesystem::rename(sTemporary, sOutput, errorCode);
    if (errorCode)
        return Fail("cannot write " + sOutput + ": " + errorCode.message());
    return 0;
}
