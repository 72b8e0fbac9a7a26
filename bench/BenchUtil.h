// Shared helpers of the benchmarks.
#pragma once

#include <benchmark/benchmark.h>

// Reports the "xrt" counter: seconds of audio processed per second of CPU,
// i.e. how many times faster than real time. nFrames per iteration at fs Hz.
inline void ReportRealtimeFactor(benchmark::State& state, long nFramesPerIteration, double fSampleRate)
{
    state.counters["xrt"] = benchmark::Counter(
        static_cast<double>(nFramesPerIteration) / fSampleRate, benchmark::Counter::kIsIterationInvariantRate);
    state.SetItemsProcessed(state.iterations() * nFramesPerIteration);
}
