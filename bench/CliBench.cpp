// The command-line tool as a user runs it: `vantor master` on a 3-minute
// 44.1 kHz stereo float WAV, with the report (loudness before and after,
// gain reduction), timed from start to exit; and the same with a loudness
// target. Its x-realtime figure should
// stay within 15 % of the process benchmark: file I/O and analysis must not
// dominate.
#include "BenchUtil.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kSeconds = 180.0;

std::string BinFolder()
{
    char buffer[4096];
    const ssize_t nLength = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    const std::string sPath(buffer, nLength > 0 ? static_cast<size_t>(nLength) : 0);
    return sPath.substr(0, sPath.rfind('/') + 1);
}

// Runs a program of the build quietly; its exit code, or -1.
int Run(std::vector<std::string> args)
{
    const pid_t nChild = ::fork();
    if (nChild == 0) {
        const int nNull = ::open("/dev/null", O_WRONLY);
        ::dup2(nNull, 1);
        std::vector<char*> argv;
        for (std::string& sArg : args)
            argv.push_back(sArg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int nStatus = 0;
    ::waitpid(nChild, &nStatus, 0);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

// vantor master on a 3-minute 44.1 kHz stereo float WAV with the extra
// arguments, from start to exit; the x-realtime figure as counter "xrt".
void RunCli(benchmark::State& state, const std::vector<std::string>& extra)
{
    const std::string sBin = BinFolder();
    char folder[] = "/tmp/vantor-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string sInput = std::string(folder) + "/in.wav", sOutput = std::string(folder) + "/out.wav";
    if (Run({ sBin + "vantor-demotrack", sInput, "--seconds", "180", "--float" }) != 0) {
        state.SkipWithError("vantor-demotrack is not built (build every target first)");
    } else {
        double fTotal = 0.0;
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            std::vector<std::string> args = { sBin + "vantor", "master", "-f" };
            args.insert(args.end(), extra.begin(), extra.end());
            args.push_back(sInput);
            args.push_back(sOutput);
            const int nExit = Run(args);
            const double fElapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (nExit != 0) {
                state.SkipWithError("vantor master failed (is it built?)");
                break;
            }
            state.SetIterationTime(fElapsed);
            fTotal += fElapsed;
        }
        if (state.iterations() > 0 && fTotal > 0.0)
            state.counters["xrt"] = kSeconds * static_cast<double>(state.iterations()) / fTotal;
    }
    std::remove(sInput.c_str());
    std::remove(sOutput.c_str());
    ::rmdir(folder);
}
void BM_Cli44k(benchmark::State& state)
{
    RunCli(state, {});
}
BENCHMARK(BM_Cli44k)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// The whole delivery job: a -14 LUFS target under a -1 dBTP ceiling (the
// search's passes through the chain, the ceiling, the file measured as
// written).
void BM_Target44k(benchmark::State& state)
{
    RunCli(state, { "--target", "-14", "--ceiling", "-1" });
}
BENCHMARK(BM_Target44k)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
