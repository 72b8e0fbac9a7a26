// vantor master: checks the command line and every path first, then runs one
// CMasteringJob per input, -j at a time, and prints the reports.
#include "Commands.h"

#include "AlbumJob.h"
#include "CommandLine.h"
#include "HelpText.h"
#include "MasteringJob.h"
#include "ProcessSettings.h"
#include "Report.h"
#include "ToolError.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

struct SMasterOptions {
    SSettingsRequest settings;
    std::vector<std::string> inputs;
    std::vector<std::string> outputs; // one per input, empty with --analyze
    bool bAnalyze = false;
    bool bJson = false;
    bool bQuiet = false;
    bool bForce = false;
    EDither eDither = EDither::Tpdf;
    EBitsRequest eBits = EBitsRequest::Keep;
    int nJobs = 1;
    bool bDualMono = true;
    bool bTarget = false;
    double fTargetLufs = 0.0;
    bool bCeiling = false;
    double fCeilingDbtp = kDefaultCeilingDbtp;
    bool bAlbum = false;
};

// A number in a range for an option; throws a usage error.
double ParseLevel(const std::string& sOption, const std::string& sValue, double fLowest, double fHighest)
{
    char* pszEnd = nullptr;
    const double f = std::strtod(sValue.c_str(), &pszEnd);
    if (sValue.empty() || pszEnd == nullptr || *pszEnd != '\0' || !std::isfinite(f))
        throw UsageError(sOption + " needs a number, not '" + sValue + "'");
    if (f < fLowest || f > fHighest)
        throw UsageError(sOption + " must lie between " + std::to_string(static_cast<int>(fLowest)) + " and " +
                         std::to_string(static_cast<int>(fHighest)) + ", not '" + sValue + "'");
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

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat infoA, infoB;
    if (::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0)
        return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
    return Canonical(a) == Canonical(b);
}

bool IsFolder(const std::string& sPath)
{
    struct stat info;
    return ::stat(sPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

SMasterOptions ParseOptions(const std::vector<std::string>& words)
{
    const CCommandLine line(words, {{"output-dir", 'd', true},
                                    {"mode", 0, true},
                                    {"preset", 0, true},
                                    {"set", 0, true},
                                    {"order", 0, true},
                                    {"bits", 0, true},
                                    {"no-dither", 0, false},
                                    {"dither", 0, true},
                                    {"target", 0, true},
                                    {"ceiling", 0, true},
                                    {"mono", 0, true},
                                    {"album", 0, false},
                                    {"report", 0, true},
                                    {"analyze", 0, false},
                                    {"jobs", 'j', true},
                                    {"force", 'f', false},
                                    {"quiet", 'q', false}});
    SMasterOptions options;
    std::string sOutputFolder;
    bool bHasOutputFolder = false;
    for (const CCommandLine::SItem& item : line.GetItems()) {
        if (item.sName == "output-dir") {
            sOutputFolder = item.sValue;
            bHasOutputFolder = true;
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
                options.eBits = EBitsRequest::Pcm16;
            else if (item.sValue == "24")
                options.eBits = EBitsRequest::Pcm24;
            else if (item.sValue == "32f" || item.sValue == "32F" || item.sValue == "float")
                options.eBits = EBitsRequest::Float32;
            else
                throw UsageError("--bits must be 16, 24 or 32f, not '" + item.sValue + "'");
        } else if (item.sName == "no-dither") {
            options.eDither = EDither::None;
        } else if (item.sName == "dither") {
            if (item.sValue == "tpdf")
                options.eDither = EDither::Tpdf;
            else if (item.sValue == "shaped")
                options.eDither = EDither::Shaped;
            else if (item.sValue == "none")
                options.eDither = EDither::None;
            else
                throw UsageError("--dither must be tpdf, shaped or none, not '" + item.sValue + "'");
        } else if (item.sName == "target") {
            options.bTarget = true;
            options.fTargetLufs = ParseLevel("--target", item.sValue, -60.0, 0.0);
        } else if (item.sName == "ceiling") {
            options.bCeiling = true;
            options.fCeilingDbtp = ParseLevel("--ceiling", item.sValue, -20.0, 0.0);
        } else if (item.sName == "album") {
            options.bAlbum = true;
        } else if (item.sName == "mono") {
            if (item.sValue != "dual" && item.sValue != "native")
                throw UsageError("--mono must be dual or native, not '" + item.sValue + "'");
            options.bDualMono = item.sValue == "dual";
        } else if (item.sName == "report") {
            if (item.sValue != "text" && item.sValue != "json")
                throw UsageError("--report must be text or json, not '" + item.sValue + "'");
            options.bJson = item.sValue == "json";
        } else if (item.sName == "analyze") {
            options.bAnalyze = true;
        } else if (item.sName == "jobs") {
            options.nJobs = ParseCount("-j", item.sValue, 1, 256);
        } else if (item.sName == "force") {
            options.bForce = true;
        } else if (item.sName == "quiet") {
            options.bQuiet = true;
        }
    }

    std::vector<std::string> positionals = line.GetPositionals();
    if (options.bAnalyze) {
        if (bHasOutputFolder)
            throw UsageError("--analyze writes nothing; drop -d");
        options.inputs = positionals;
    } else if (bHasOutputFolder) {
        options.inputs = positionals;
        if (!IsFolder(sOutputFolder))
            throw FailureError("the output folder '" + sOutputFolder + "' does not exist");
        for (const std::string& sInput : options.inputs) {
            if (sInput == "-")
                throw UsageError("standard input has no name to write under -d; give IN OUT instead");
            options.outputs.push_back(sOutputFolder + (sOutputFolder.back() == '/' ? "" : "/") + BaseName(sInput));
        }
    } else {
        if (positionals.size() != 2)
            throw UsageError(positionals.size() < 2 ? "master needs IN and OUT (or -d OUTDIR IN...); see --help"
                                                    : "more than one input needs -d OUTDIR; see --help");
        options.inputs = {positionals[0]};
        options.outputs = {positionals[1]};
    }
    if (options.inputs.empty())
        throw UsageError("no input files; see 'vantor master --help'");
    if (options.bAnalyze && (options.bTarget || options.bCeiling))
        throw UsageError("--analyze writes nothing; --target and --ceiling apply to written files");
    if (options.bAlbum && !options.bTarget)
        throw UsageError("--album needs --target: it gives every file one gain for the album's loudness");
    // A target always comes with a ceiling.
    options.bCeiling = options.bCeiling || options.bTarget;
    return options;
}

// Refuses what would lose a file: writing over an input, two inputs to one
// output, replacing an existing output without -f.
void CheckPaths(const SMasterOptions& options)
{
    int nStandardInputs = 0;
    for (const std::string& sInput : options.inputs)
        nStandardInputs += sInput == "-";
    if (nStandardInputs > 1)
        throw UsageError("standard input can be read once only");
    std::set<std::string> written;
    for (size_t i = 0; i < options.outputs.size(); ++i) {
        const std::string& sOutput = options.outputs[i];
        if (sOutput == "-")
            continue;
        // An input that cannot be read is reported by its job, before any
        // word about its output.
        if (options.inputs[i] != "-" && ::access(options.inputs[i].c_str(), R_OK) != 0)
            continue;
        for (const std::string& sInput : options.inputs) {
            if (sInput != "-" && SameFile(sInput, sOutput))
                throw UsageError("refusing to write '" + sOutput + "' over its own input");
        }
        if (!written.insert(Canonical(sOutput)).second)
            throw UsageError("two inputs would both be written to '" + sOutput + "'");
        if (IsFolder(sOutput))
            throw UsageError("'" + sOutput + "' is a folder; use -d to write into a folder");
        if (!options.bForce && ::access(sOutput.c_str(), F_OK) == 0)
            throw UsageError("'" + sOutput + "' exists; add -f to replace it");
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
    const SMasterOptions options = ParseOptions(words);
    CheckPaths(options);
    bool bAudioOnStandardOutput = false;
    for (const std::string& sOutput : options.outputs)
        bAudioOnStandardOutput = bAudioOnStandardOutput || sOutput == "-";
    FILE* pReportStream = bAudioOnStandardOutput ? stderr : stdout;

    CVantorEngine engine;
    engine.Load();
    const CPresetStore store(engine.GetPresetsFolder());
    CProcessSettings settings;
    settings.Prepare(options.settings, engine, store);
    if (!options.bQuiet) {
        for (const std::string& sWarning : settings.GetWarnings())
            std::fprintf(stderr, "vantor: warning: %s\n", sWarning.c_str());
    }

    CProgressBar progress(!options.bQuiet, options.inputs.size());
    std::vector<SJobResult> results(options.inputs.size());
    std::mutex printMutex;
    std::atomic<size_t> nNext{0};
    auto Request = [&](size_t i) {
        SJobRequest request;
        request.sInput = options.inputs[i];
        request.sOutput = options.bAnalyze ? std::string() : options.outputs[i];
        request.bAnalyzeOnly = options.bAnalyze;
        request.bMeasure = !options.bQuiet;
        request.bReplace = options.bForce;
        request.eDither = options.eDither;
        request.eBits = options.eBits;
        request.bDualMono = options.bDualMono;
        request.bTarget = options.bTarget;
        request.fTargetLufs = options.fTargetLufs;
        request.bCeiling = options.bCeiling;
        request.fCeilingDbtp = options.fCeilingDbtp;
        return request;
    };
    auto Print = [&](const SJobResult& result) {
        std::lock_guard<std::mutex> lock(printMutex);
        progress.Clear();
        for (const std::string& sWarning : result.warnings)
            std::fprintf(stderr, "vantor: warning: %s\n", sWarning.c_str());
        if (!result.sError.empty())
            std::fprintf(stderr, "vantor: %s\n", result.sError.c_str());
        else if (!options.bQuiet && !options.bJson)
            std::fputs(CReport::FormatText(result).c_str(), pReportStream);
        std::fflush(pReportStream);
    };
    auto Worker = [&]() {
        for (size_t i = nNext++; i < options.inputs.size(); i = nNext++) {
            CMasteringJob job(engine, settings, Request(i), progress);
            results[i] = job.Run();
            Print(results[i]);
        }
    };
    if (options.bAlbum) {
        std::vector<SJobRequest> requests;
        for (size_t i = 0; i < options.inputs.size(); ++i)
            requests.push_back(Request(i));
        results = CAlbumJob(engine, settings, requests, progress).Run();
        for (const SJobResult& result : results)
            Print(result);
    } else {
        const size_t nThreads = std::min<size_t>(static_cast<size_t>(options.nJobs), options.inputs.size());
        std::vector<std::thread> threads;
        for (size_t i = 1; i < nThreads; ++i)
            threads.emplace_back(Worker);
        Worker();
        for (std::thread& thread : threads)
            thread.join();
    }
    progress.Clear();

    if (options.bJson && !options.bQuiet)
        std::fputs(CReport::FormatJson(results).c_str(), pReportStream);
    int nExitCode = kExitOk;
    for (const SJobResult& result : results)
        nExitCode = WorseExitCode(nExitCode, result.nExitCode);
    return nExitCode;
}
