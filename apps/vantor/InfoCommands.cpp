// vantor params, vantor presets, vantor preset save and show: the commands that
// talk about settings rather than audio.
#include "Commands.h"

#include "CommandLine.h"
#include "HelpText.h"
#include "ParameterDisplay.h"
#include "PresetStore.h"
#include "ProcessSettings.h"
#include "ToolError.h"
#include "VantorEngine.h"

#include <cstdio>

namespace {

bool WantsHelp(const std::vector<std::string>& words, const char* pszHelp)
{
    for (const std::string& sWord : words) {
        if (sWord == "--help" || sWord == "-h") {
            std::fputs(pszHelp, stdout);
            return true;
        }
    }
    return false;
}

unsigned ParseModeOnly(const std::vector<std::string>& words)
{
    const CCommandLine line(words, { { "mode", 0, true } });
    if (!line.GetPositionals().empty())
        throw UsageError("unexpected '" + line.GetPositionals().front() + "' (see --help)");
    unsigned nMode = kModeChain;
    for (const CCommandLine::SItem& item : line.GetItems()) {
        if (!ParseModeName(item.sValue, nMode))
            throw UsageError("--mode must be chain, eq, compressor, limiter or clipper, not '" + item.sValue + "'");
    }
    return nMode;
}

std::string ShortNames(const SParameterText& parameter)
{
    std::string sNames;
    for (size_t i = 1; i < parameter.names.size(); ++i)
        sNames += (sNames.empty() ? "" : ", ") + parameter.names[i];
    return sNames.empty() ? "-" : sNames;
}

void PrintTree(
    const std::vector<CPresetStore::SNode>& nodes, const std::string& sPrefix, int nDepth, const char* pszMark = "")
{
    for (const CPresetStore::SNode& node : nodes) {
        const std::string sIndent(static_cast<size_t>(2 * nDepth + 2), ' ');
        if (node.bIsFolder) {
            std::printf("%s%s/\n", sIndent.c_str(), node.sName.c_str());
            PrintTree(node.children, sPrefix + node.sName + ":", nDepth + 1, pszMark);
        } else {
            std::printf(
                "%s%-32s %s%s%s\n", sIndent.c_str(), node.sName.c_str(), sPrefix.c_str(), node.sName.c_str(), pszMark);
        }
    }
}

} // namespace

int RunParams(const std::vector<std::string>& words)
{
    if (WantsHelp(words, GetParamsHelp()))
        return kExitOk;
    const unsigned nMode = ParseModeOnly(words);
    CVantorEngine engine;
    engine.Load();
    ProcessPtr pProcess = engine.CreateProcess(nMode, 2, 44100.0, 64);
    CParameterText parameters;
    parameters.Load(*pProcess);
    const CParameterDisplay display(parameters);
    std::printf("%-3s %-34s %-14s %-28s %s\n", "#", "Name", "Short", "Range", "Default");
    for (int i = 0; i < static_cast<int>(parameters.GetCount()); ++i) {
        const SParameterText& parameter = parameters.Get(i);
        if (!parameter.bActive)
            continue;
        std::string sRange;
        if (parameter.nType == 1) {
            for (const std::string& sValue : parameter.valueTexts)
                sRange += (sRange.empty() ? "" : " | ") + sValue;
        } else if (i == 1) {
            sRange = "0 .. 23 (chain orders)";
        } else {
            sRange = display.Show(i, parameter.nMin) + " .. " + display.Show(i, parameter.nMax);
            // A fixed text hides the number it stands for: name both.
            if (!parameter.minText.empty())
                sRange
                    += " (" + parameter.minText + " = " + std::to_string(parameter.nMin) + " " + parameter.unit + ")";
            if (!parameter.maxText.empty())
                sRange
                    += " (" + parameter.maxText + " = " + std::to_string(parameter.nMax) + " " + parameter.unit + ")";
        }
        std::printf("%-3d %-34s %-14s %-28s %s\n", i, parameter.names.front().c_str(), ShortNames(parameter).c_str(),
            sRange.c_str(), display.Show(i, parameter.nDefault).c_str());
    }
    return kExitOk;
}

int RunPresets(const std::vector<std::string>& words)
{
    if (WantsHelp(words, GetPresetsHelp()))
        return kExitOk;
    const unsigned nMode = ParseModeOnly(words);
    CVantorEngine engine;
    engine.Load();
    const CPresetStore store(engine.GetPresetsFolder());
    const std::vector<CPresetStore::SNode> tree = store.List(nMode);
    std::printf("%s\n", store.GetFolder().c_str());
    if (tree.empty())
        std::printf("  (no presets for %s mode)\n", GetModeName(nMode));
    PrintTree(tree, "", 0);
    const std::vector<CPresetStore::SNode> userTree = store.List(nMode, true);
    if (!userTree.empty()) {
        std::printf("%s (user presets)\n", store.GetUserFolder().c_str());
        PrintTree(userTree, "", 0, "  (user)");
    }
    return kExitOk;
}

int RunPresetShow(const std::vector<std::string>& words)
{
    if (WantsHelp(words, GetPresetShowHelp()))
        return kExitOk;
    const CCommandLine line(words, {});
    const std::vector<std::string> names = line.GetPositionals();
    if (names.size() != 1)
        throw UsageError("preset show takes one NAME or FILE; see --help");
    CVantorEngine engine;
    engine.Load();
    const CPresetStore store(engine.GetPresetsFolder());
    ProcessPtr pProcess = engine.CreateProcess(kModeChain, 2, 44100.0, 64);
    CParameterText parameters;
    parameters.Load(*pProcess);
    // Values in the form --set reads back to the same stored value.
    for (const auto& [nIndex, nValue] : store.Read(store.Resolve(names.front()), parameters))
        std::printf("%s=%s\n", parameters.Get(nIndex).names.front().c_str(), parameters.Format(nIndex, nValue).c_str());
    return kExitOk;
}

int RunPresetSave(const std::vector<std::string>& words)
{
    if (WantsHelp(words, GetPresetSaveHelp()))
        return kExitOk;
    const CCommandLine line(words,
        { { "mode", 0, true }, { "preset", 0, true }, { "set", 0, true }, { "order", 0, true }, { "output", 'o', true },
            { "force", 'f', false }, { "quiet", 'q', false } });
    SSettingsRequest request;
    std::string sOutput;
    bool bForce = false, bQuiet = false;
    for (const CCommandLine::SItem& item : line.GetItems()) {
        if (item.sName == "mode") {
            if (!ParseModeName(item.sValue, request.nMode))
                throw UsageError("--mode must be chain, eq, compressor, limiter or clipper, not '" + item.sValue + "'");
        } else if (item.sName == "preset") {
            request.sPreset = item.sValue;
        } else if (item.sName == "set") {
            request.sets.push_back(item.sValue);
        } else if (item.sName == "order") {
            request.sOrder = item.sValue;
        } else if (item.sName == "output") {
            sOutput = item.sValue;
        } else if (item.sName == "force") {
            bForce = true;
        } else if (item.sName == "quiet") {
            bQuiet = true;
        }
    }
    const std::vector<std::string> names = line.GetPositionals();
    if (names.size() > 1)
        throw UsageError("preset save takes one NAME; see --help");
    if (names.empty() && sOutput.empty())
        throw UsageError("preset save needs a NAME or -o FILE; see --help");

    CVantorEngine engine;
    engine.Load();
    const CPresetStore store(engine.GetPresetsFolder());
    const bool bInFolder = sOutput.empty();
    const std::string sPath = bInFolder ? store.PathOfName(names.front()) : sOutput;
    CProcessSettings settings;
    settings.Prepare(request, engine, store);
    if (!bQuiet) {
        for (const std::string& sWarning : settings.GetWarnings())
            std::fprintf(stderr, "vantor: warning: %s\n", sWarning.c_str());
    }
    ProcessPtr pProcess = engine.CreateProcess(request.nMode, 2, 44100.0, 64);
    settings.Apply(*pProcess);
    store.Save(sPath, *pProcess, request.nMode, bForce, bInFolder);
    if (!bQuiet) {
        std::printf("Saved %s preset %s\n", GetModeName(request.nMode),
            bInFolder ? ("'" + names.front() + "' to " + sPath).c_str() : sPath.c_str());
        if (bInFolder && !store.GetUserFolder().empty() && sPath.rfind(store.GetUserFolder(), 0) == 0)
            std::printf("(in your presets folder: the library's %s cannot be written)\n", store.GetFolder().c_str());
    }
    return kExitOk;
}
