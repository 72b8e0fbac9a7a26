// vantor-lv2-turtle: writes the Turtle of vantor.lv2 at build time.
//   vantor-lv2-turtle OUT_FOLDER FACTORY_FOLDER BINARY MINOR MICRO
// The factory presets (every *.preset but the module defaults) become LV2
// presets of the plug-in whose mode they have, and the modules' presets also
// presets of the chain plug-in.
#include "Lv2Turtle.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

bool WriteFile(const std::filesystem::path& path, const std::string& sText)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << sText;
    file.close();
    if (!file) {
        std::fprintf(stderr, "vantor-lv2-turtle: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

std::vector<std::string> FactoryPresets(const std::filesystem::path& folder)
{
    std::vector<std::string> relative;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".preset")
            continue;
        const std::string sRelative = std::filesystem::relative(entry.path(), folder).generic_string();
        // The defaults are what a new instance holds already.
        if (sRelative.rfind("Defaults/", 0) != 0)
            relative.push_back(sRelative);
    }
    std::sort(relative.begin(), relative.end());
    return relative;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: vantor-lv2-turtle OUT_FOLDER FACTORY_FOLDER BINARY MINOR MICRO\n");
        return 1;
    }
    const std::filesystem::path out = argv[1];
    const SLv2Version version = { std::atoi(argv[4]), std::atoi(argv[5]) };

    std::vector<SLv2Preset> presets;
    for (const std::string& sRelative : FactoryPresets(argv[2])) {
        std::string sError;
        if (!ReadLv2Presets(argv[2], sRelative, presets, sError)) {
            std::fprintf(stderr, "%s\n", sError.c_str());
            return 1;
        }
    }

    std::error_code error;
    std::filesystem::create_directories(out, error);
    bool bWritten = WriteFile(out / "manifest.ttl", ManifestTurtle(argv[3], presets))
        && WriteFile(out / kLv2PresetsFile, PresetsTurtle(presets));
    for (const SLv2PlugIn& plugIn : kLv2PlugIns)
        bWritten = bWritten && WriteFile(out / plugIn.pszTurtle, PlugInTurtle(plugIn, version));
    return bWritten ? 0 : 1;
}
