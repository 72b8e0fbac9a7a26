// Cost of the host contract itself: what a host pays to create and release a
// plug-in object through vpaMain.
#include "hosting/VpaHost.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PlugInCreateDestroy(benchmark::State& state)
{
    CVpaLibrary library;
    if (!library.Load(CVpaLibrary::DefaultPath())) {
        state.SkipWithError(library.GetError().c_str());
        return;
    }
    CVpaHost host;
    for (auto _ : state) {
        vpa::IPlugIn* pPlugIn = library.CreatePlugIn(&host, nullptr);
        benchmark::DoNotOptimize(pPlugIn);
        pPlugIn->DestroySelf();
    }
}
BENCHMARK(BM_PlugInCreateDestroy);

} // namespace
