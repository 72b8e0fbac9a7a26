// vantor master: reads the command line (or a manifest), checks every path
// before any audio is read, and hands the items to a CBatchRun.
#include "Commands.h"

#include "BatchRun.h"
#include "CommandLine.h"
#include "HelpText.h"
#include "Manifest.h"
#include "ProcessSettings.h"
#include "ToolError.h"
#include "platform/Platform.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>
#include <sndfile.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SMasterOptions {
    SSettingsRequest settings;
    SBatchOptions batch;
    std::vector<std::string> inputs;
    std::vector<std::string> outputs; // one per input, empty with --analyze
    std::string sOutputFolder;
    bool bHasOutputFolder = false;
    bool bForce = false;
    bool bSkipExisting = false;
    std::string sFormat; // --format: "wav", "flac", ... or "" to keep
    std::string sSuffix;
    std::string sManifest;
    std::string sManifestPart;
};

// A number in a range for an option; throws a usage error.
double ParseLevel(const std::string& sOption, const std::string& sValue, double fLowest, double fHighest)
{
    char* pszEnd = nullptr;
    const double f = std::strtod(sValue.c_str(), &pszEnd);
    if (sValue.empty() || pszEnd == nullptr || *pszEnd != '\0' || !std::isfinite(f))
        throw UsageError(sOption + " needs a number, not '" + sValue + "'");
    if (f < fLowest || f > fHighest)
        throw UsageError(sOption + " must lie between " + std::to_string(static_cast<int>(fLowest)) + " and "
            + std::to_string(static_cast<int>(fHighest)) + ", not '" + sValue + "'");
    return f;
}

std::string BaseName(const std::string& sPath)
{
    const size_t nSlash = sPath.rfind('/');
    return nSlash == std::string::npos ? sPath : sPath.substr(nSlash + 1);
}

// The path with its folder resolved, for comparing paths that may not exist.
std::string Canonical(const std::string& sPath)
{
    char buffer[PATH_MAX];
    if (::realpath(sPath.c_str(), buffer) != nullptr)
        return buffer;
    const size_t nSlash = sPath.rfind('/');
    const std::string sFolder = nSlash == std::string::npos ? "." : (nSlash == 0 ? "/" : sPath.substr(0, nSlash));
    if (::realpath(sFolder.c_str(), buffer) == nullptr)
        return sPath;
    return std::string(buffer) + "/" + BaseName(sPath);
}

bool IsFolder(const std::string& sPath)
{
    struct stat info;
    return ::stat(sPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// An output that a run of ours finished: it reads as audio (a file is only
// ever published whole, so a readable one is complete).
bool IsCompleteOutput(const std::string& sPath)
{
    SF_INFO info {};
    SNDFILE* pFile = sf_open(sPath.c_str(), SFM_READ, &info);
    if (pFile == nullptr)
        return false;
    sf_close(pFile);
    return info.frames > 0;
}

// The name of IN's output in the output folder: its own name, with the
// suffix before the extension and the extension of --format.
std::string OutputName(const SMasterOptions& options, const std::string& sInput)
{
    std::string sName = BaseName(sInput);
    std::string sExtension;
    const size_t nDot = sName.rfind('.');
    if (nDot != std::string::npos && nDot > 0) {
        sExtension = sName.substr(nDot);
        sName.resize(nDot);
    }
    if (!options.sFormat.empty())
        sExtension = "." + options.sFormat;
    const std::string& sFolder = options.sOutputFolder;
    return sFolder + (sFolder.back() == '/' ? "" : "/") + sName + options.sSuffix + sExtension;
}

SMasterOptions ParseOptions(const std::vector<std::string>& words)
{
    const CCommandLine line(words,
        { { "output-dir", 'd', true }, { "mode", 0, true }, { "preset", 0, true }, { "set", 0, true },
            { "order", 0, true }, { "bits", 0, true }, { "no-dither", 0, false }, { "quality", 0, true },
            { "dither", 0, true }, { "target", 0, true }, { "ceiling", 0, true }, { "mono", 0, true },
            { "album", 0, false }, { "report", 0, true }, { "analyze", 0, false }, { "jobs", 'j', true },
            { "force", 'f', false }, { "skip-existing", 0, false }, { "format", 0, true }, { "suffix", 0, true },
            { "manifest", 0, true }, { "manifest-part", 0, true }, { "quiet", 'q', false }, { "plot", 0, true } });
    SMasterOptions options;
    for (const CCommandLine::SItem& item : line.GetItems()) {
        if (item.sName == "output-dir") {
            options.sOutputFolder = item.sValue;
            options.bHasOutputFolder = true;
        } else if (item.sName == "mode") {
            if (!ParseModeName(item.sValue, options.settings.nMode))
                throw UsageError("--mode must be chain, eq, compressor, limiter or clipper, not '" + item.sValue + "'");
        } else if (item.sName == "preset") {
            options.settings.sPreset = item.sValue;
        } else if (item.sName == "set") {
            options.settings.sets.push_back(item.sValue);
        } else if (item.sName == "order") {
            options.settings.sOrder = item.sValue;
        } else if (item.sName == "bits") {
            if (item.sValue == "16")
                options.batch.eBits = EBitsRequest::Pcm16;
            else if (item.sValue == "24")
                options.batch.eBits = EBitsRequest::Pcm24;
            else if (item.sValue == "32f" || item.sValue == "32F" || item.sValue == "float")
                options.batch.eBits = EBitsRequest::Float32;
            else
                throw UsageError("--bits must be 16, 24 or 32f, not '" + item.sValue + "'");
        } else if (item.sName == "quality") {
            char* pszEnd = nullptr;
            options.batch.fQuality = std::strtod(item.sValue.c_str(), &pszEnd);
            if (item.sValue.empty() || *pszEnd != '\0'
                || !(options.batch.fQuality >= 0.0 && options.batch.fQuality <= 10.0))
                throw UsageError(
                    "--quality must be a number from 0 to 10 (Ogg) or 0 to 8 (FLAC), not '" + item.sValue + "'");
        } else if (item.sName == "no-dither") {
            options.batch.eDither = EDither::None;
        } else if (item.sName == "dither") {
            if (item.sValue == "tpdf")
                options.batch.eDither = EDither::Tpdf;
            else if (item.sValue == "shaped")
                options.batch.eDither = EDither::Shaped;
            else if (item.sValue == "none")
                options.batch.eDither = EDither::None;
            else
                throw UsageError("--dither must be tpdf, shaped or none, not '" + item.sValue + "'");
        } else if (item.sName == "target") {
            options.batch.bTarget = true;
            options.batch.fTargetLufs = ParseLevel("--target", item.sValue, -60.0, 0.0);
        } else if (item.sName == "ceiling") {
            options.batch.bCeiling = true;
            options.batch.fCeilingDbtp = ParseLevel("--ceiling", item.sValue, -20.0, 0.0);
        } else if (item.sName == "album") {
            options.batch.bAlbum = true;
        } else if (item.sName == "mono") {
            if (item.sValue != "dual" && item.sValue != "native")
                throw UsageError("--mono must be dual or native, not '" + item.sValue + "'");
            options.batch.bDualMono = item.sValue == "dual";
        } else if (item.sName == "report") {
            if (item.sValue != "text" && item.sValue != "json")
                throw UsageError("--report must be text or json, not '" + item.sValue + "'");
            options.batch.bJson = item.sValue == "json";
        } else if (item.sName == "analyze") {
            options.batch.bAnalyze = true;
        } else if (item.sName == "jobs") {
            options.batch.nJobs = ParseCount("-j", item.sValue, 1, 256);
        } else if (item.sName == "force") {
            options.bForce = true;
        } else if (item.sName == "skip-existing") {
            options.bSkipExisting = true;
        } else if (item.sName == "format") {
            static const char* const kFormats[] = { "wav", "flac", "ogg", "aiff" };
            for (const char* pszFormat : kFormats)
                options.sFormat = ::strcasecmp(item.sValue.c_str(), pszFormat) == 0 ? pszFormat : options.sFormat;
            if (options.sFormat.empty())
                throw UsageError("--format must be wav, flac, ogg or aiff, not '" + item.sValue + "'");
        } else if (item.sName == "suffix") {
            if (item.sValue.find('/') != std::string::npos)
                throw UsageError("--suffix cannot hold '/'");
            options.sSuffix = item.sValue;
        } else if (item.sName == "manifest") {
            options.sManifest = item.sValue;
        } else if (item.sName == "manifest-part") {
            options.sManifestPart = item.sValue;
        } else if (item.sName == "plot") {
            const std::string& sPlot = item.sValue;
            if (sPlot.size() < 5 || ::strcasecmp(sPlot.c_str() + sPlot.size() - 4, ".png") != 0)
                throw UsageError("--plot needs a file name ending in .png, not '" + sPlot + "'");
            options.batch.bPlot = true;
            options.batch.sPlot = sPlot;
        } else if (item.sName == "quiet") {
            options.batch.bQuiet = true;
        }
    }

    SBatchOptions& batch = options.batch;
    if (batch.bAnalyze && (batch.bTarget || batch.bCeiling))
        throw UsageError("--analyze writes nothing; --target and --ceiling apply to written files");
    if (batch.bAlbum && !batch.bTarget)
        throw UsageError("--album needs --target: it gives every file one gain for the album's loudness");
    if (batch.bPlot && batch.bAnalyze)
        throw UsageError("--plot draws a mastering job; --analyze masters nothing");
    // A target always comes with a ceiling.
    batch.bCeiling = batch.bCeiling || batch.bTarget;

    std::vector<std::string> positionals = line.GetPositionals();
    if ((!options.sFormat.empty() || !options.sSuffix.empty()) && !options.bHasOutputFolder)
        throw UsageError("--format and --suffix name the outputs of -d OUTDIR");
    if (!options.sManifestPart.empty() && options.sManifest.empty())
        throw UsageError("--manifest-part needs --manifest FILE");
    // With -d or a manifest each output gets its picture beside it.
    batch.bPlotBesideOutputs = batch.bPlot && (options.bHasOutputFolder || !options.sManifest.empty());
    if (!options.sManifest.empty()) {
        if (!positionals.empty() || options.bHasOutputFolder || options.batch.bAnalyze)
            throw UsageError("--manifest names every input and output; drop the files, -d and --analyze");
        return options;
    }
    if (options.batch.bAnalyze) {
        if (options.bHasOutputFolder)
            throw UsageError("--analyze writes nothing; drop -d");
        options.inputs = positionals;
    } else if (options.bHasOutputFolder) {
        options.inputs = positionals;
        if (options.sOutputFolder.empty())
            throw UsageError("-d needs a folder");
        for (const std::string& sInput : options.inputs) {
            if (sInput == "-")
                throw UsageError("standard input has no name to write under -d; give IN OUT instead");
            options.outputs.push_back(OutputName(options, sInput));
        }
    } else {
        if (positionals.size() != 2)
            throw UsageError(positionals.size() < 2 ? "master needs IN and OUT (or -d OUTDIR IN...); see --help"
                                                    : "more than one input needs -d OUTDIR; see --help");
        options.inputs = { positionals[0] };
        options.outputs = { positionals[1] };
    }
    if (options.inputs.empty())
        throw UsageError("no input files; see 'vantor master --help'");
    if (batch.bPlotBesideOutputs) {
        std::set<std::string> pictures;
        for (const std::string& sOutput : options.outputs) {
            if (!pictures.insert(CBatchRun::PlotBeside(sOutput)).second)
                throw UsageError("two outputs would share the picture '" + CBatchRun::PlotBeside(sOutput)
                    + "'; give them different names (--suffix, --format)");
        }
    } else if (batch.bPlot) {
        // A picture that cannot be written is found before any audio is read.
        const size_t nSlash = batch.sPlot.rfind('/');
        const std::string sFolder
            = nSlash == std::string::npos ? "." : (nSlash == 0 ? "/" : batch.sPlot.substr(0, nSlash));
        if (!IsFolder(sFolder))
            throw FailureError("cannot write the plot '" + batch.sPlot + "': no folder '" + sFolder + "'");
        if (::access(sFolder.c_str(), W_OK) != 0)
            throw FailureError("cannot write the plot '" + batch.sPlot + "': " + std::strerror(errno));
        if (IsFolder(batch.sPlot))
            throw FailureError("cannot write the plot '" + batch.sPlot + "': it is a folder");
    }
    return options;
}

// Marks the items that would lose a file: writing over an input, two inputs
// to one output, replacing an existing output without -f. Existing complete
// outputs are skipped with --skip-existing. Each item is refused on its own;
// the rest of a batch runs.
void CheckPaths(const SMasterOptions& options, std::vector<SBatchItem>& items)
{
    int nStandardInputs = 0;
    for (const SBatchItem& item : items)
        nStandardInputs += item.sInput == "-";
    if (nStandardInputs > 1)
        throw UsageError("standard input can be read once only");
    // The inputs by device and inode, to find an output that is an input.
    std::set<std::pair<dev_t, ino_t>> inputFiles;
    for (const SBatchItem& item : items) {
        struct stat info;
        if (item.sInput != "-" && ::stat(item.sInput.c_str(), &info) == 0)
            inputFiles.insert({ info.st_dev, info.st_ino });
    }
    std::set<std::string> written;
    for (SBatchItem& item : items) {
        auto Refuse = [&item](const std::string& sWhy) {
            if (item.nExitCode == 0) {
                item.nExitCode = kExitUsage;
                item.sError = sWhy;
            }
        };
        item.bReplace = options.bForce;
        if (item.sOutput.empty() || item.sOutput == "-" || item.nExitCode != 0)
            continue;
        struct stat output;
        if (::stat(item.sOutput.c_str(), &output) == 0 && inputFiles.count({ output.st_dev, output.st_ino }) != 0)
            Refuse("refusing to write '" + item.sOutput + "' over its own input");
        if (!written.insert(Canonical(item.sOutput)).second)
            Refuse("two inputs would both be written to '" + item.sOutput + "'");
        if (IsFolder(item.sOutput))
            Refuse("'" + item.sOutput + "' is a folder; use -d to write into a folder");
        // An input that cannot be read is reported by its job, before any
        // word about its output.
        if (item.sInput != "-" && ::access(item.sInput.c_str(), R_OK) != 0)
            continue;
        if (options.bForce || item.nExitCode != 0 || ::access(item.sOutput.c_str(), F_OK) != 0)
            continue;
        if (options.bSkipExisting && IsCompleteOutput(item.sOutput))
            item.bSkip = true;
        else if (options.bSkipExisting)
            item.bReplace = true; // an output we did not finish: master it again
        else
            Refuse("'" + item.sOutput + "' exists; add -f to replace it or --skip-existing to keep it");
    }
}

} // namespace

int RunMaster(const std::vector<std::string>& words)
{
    for (const std::string& sWord : words) {
        if (sWord == "--help" || sWord == "-h") {
            std::fputs(GetMasterHelp(), stdout);
            return kExitOk;
        }
        if (sWord == "--")
            break;
    }
    SMasterOptions options = ParseOptions(words);
    std::vector<SManifestRow> rows;
    if (!options.sManifest.empty()) {
        int nPart = 1, nParts = 1;
        if (!options.sManifestPart.empty())
            CManifest::ParsePart(options.sManifestPart, nPart, nParts);
        rows = CManifest::Read(options.sManifest, nPart, nParts);
    }
    if (options.bHasOutputFolder && !IsFolder(options.sOutputFolder)
        && !platform::CreateFolders(options.sOutputFolder + "/"))
        throw FailureError("cannot make the output folder '" + options.sOutputFolder + "': " + std::strerror(errno));

    CVantorEngine engine;
    engine.Load();
    const CPresetStore store(engine.GetPresetsFolder());
    CProcessSettings settings;
    settings.Prepare(options.settings, engine, store);
    if (!options.batch.bQuiet) {
        for (const std::string& sWarning : settings.GetWarnings())
            std::fprintf(stderr, "vantor: warning: %s\n", sWarning.c_str());
    }

    std::vector<SBatchItem> items;
    // Manifest rows with a preset or settings of their own; a deque keeps
    // the items' pointers valid.
    std::deque<CProcessSettings> rowSettings;
    for (size_t i = 0; i < options.inputs.size(); ++i) {
        SBatchItem item;
        item.sInput = options.inputs[i];
        item.sOutput = options.batch.bAnalyze ? std::string() : options.outputs[i];
        item.pSettings = &settings;
        items.push_back(item);
    }
    for (const SManifestRow& row : rows) {
        SBatchItem item;
        item.sInput = row.sInput;
        item.sOutput = row.sOutput;
        item.pSettings = &settings;
        item.sLabel = options.sManifest + " line " + std::to_string(row.nLine) + ": ";
        if (!row.sError.empty()) {
            item.nExitCode = kExitFailure;
            item.sError = row.sError;
        } else if (!row.sPreset.empty() || !row.sets.empty()) {
            SSettingsRequest request = options.settings;
            if (!row.sPreset.empty())
                request.sPreset = row.sPreset;
            request.sets.insert(request.sets.end(), row.sets.begin(), row.sets.end());
            try {
                rowSettings.emplace_back();
                rowSettings.back().Prepare(request, engine, store);
                item.pSettings = &rowSettings.back();
            } catch (const CToolError& error) {
                item.nExitCode = kExitFailure;
                item.sError = error.what();
            }
        }
        items.push_back(item);
    }
    CheckPaths(options, items);
    if (!options.sManifest.empty()) {
        // A refused row is a row that failed; the rest of the manifest runs.
        for (SBatchItem& item : items)
            item.nExitCode = item.nExitCode != 0 ? kExitFailure : 0;
    }

    bool bAudioOnStandardOutput = false;
    for (const SBatchItem& item : items)
        bAudioOnStandardOutput = bAudioOnStandardOutput || item.sOutput == "-";
    options.batch.pReportStream = bAudioOnStandardOutput ? stderr : stdout;
    CBatchRun batch(engine, options.batch);
    return batch.Run(items);
}
