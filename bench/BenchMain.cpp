// vantor-bench: the speed figures of Vantor. Without arguments it runs the
// Google Benchmark suite as usual (all its flags work); with --summary it
// runs the headline benchmarks and prints one "name: value" line each.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// Headline figures: a benchmark's name, the counter to report (empty for the
// time per iteration in nanoseconds) and the summary name.
struct SHeadline {
    const char* pszBenchmark;
    const char* pszCounter;
    const char* pszSummaryName;
    const char* pszFormat = "%s: %.1f\n"; // a count prints as a plain number
};

const SHeadline kHeadlines[] = {
    { "BM_Chain44k", "xrt", "chain-44k-stereo-xrt" },
    { "BM_Chain96k", "xrt", "chain-96k-stereo-xrt" },
    { "BM_ChainSilence44k", "xrt", "chain-44k-silence-xrt" },
    { "BM_Process44k/512", "xrt", "process-44k-stereo-xrt" },
    { "BM_Process44k/64", "xrt", "process-44k-stereo-64-xrt" },
    { "BM_Process44k/4096", "xrt", "process-44k-stereo-4096-xrt" },
    { "BM_Cli44k/iterations:5/manual_time", "xrt", "cli-44k-stereo-xrt" },
    { "BM_Target44k/iterations:5/manual_time", "xrt", "target-44k-stereo-xrt" },
    { "BM_UserInterfaceChange/iterations:4", "max_us", "ui-change-max-us" },
    { "BM_AudioLockCalls/iterations:2", "per_slice", "audio-lock-calls-per-slice", "%s: %g\n" },
    { "BM_Equaliser44k", "xrt", "equaliser-44k-stereo-xrt" },
    { "BM_Compressor44k", "xrt", "compressor-44k-stereo-xrt" },
    { "BM_Limiter44k", "xrt", "limiter-44k-stereo-xrt" },
    { "BM_OutputClipper44k", "xrt", "clipper-44k-stereo-xrt" },
    { "BM_Copy44k", "xrt", "copy-44k-stereo-xrt" },
    { "BM_PlugInCreateDestroy", "", "plugin-create-destroy-ns" },
    { "BM_EditorFullRedraw", "", "editor-full-redraw-us" },
    { "BM_KnobRedraw", "", "knob-redraw-us" },
};

class CSummaryReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string sName = run.benchmark_name();
            for (const SHeadline& headline : kHeadlines) {
                if (sName != headline.pszBenchmark)
                    continue;
                double fValue = run.GetAdjustedRealTime();
                if (headline.pszCounter[0] != '\0') {
                    auto it = run.counters.find(headline.pszCounter);
                    if (it == run.counters.end())
                        continue;
                    fValue = it->second.value;
                }
                mValues[headline.pszSummaryName] = fValue;
            }
        }
    }
    void Print() const
    {
        for (const SHeadline& headline : kHeadlines) {
            auto it = mValues.find(headline.pszSummaryName);
            if (it != mValues.end())
                std::printf(headline.pszFormat, headline.pszSummaryName, it->second);
        }
    }

private:
    std::map<std::string, double> mValues;
};

} // namespace

int main(int argc, char** argv)
{
    bool bSummary = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--summary") == 0)
            bSummary = true;
        else
            args.push_back(argv[i]);
    }
    int nArgs = static_cast<int>(args.size());
    benchmark::Initialize(&nArgs, args.data());
    if (benchmark::ReportUnrecognizedArguments(nArgs, args.data()))
        return 1;
    if (bSummary) {
        std::string sFilter;
        for (const SHeadline& headline : kHeadlines)
            sFilter += (sFilter.empty() ? "^(" : "|") + std::string(headline.pszBenchmark);
        sFilter += ")$";
        CSummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter, sFilter);
        reporter.Print();
    } else {
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return 0;
}
