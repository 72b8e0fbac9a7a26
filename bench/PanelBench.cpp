// Editor drawing speed: the whole mode-4 window painted from nothing (every
// panel of the chain and the preset strip), and one rotary moved and
// repainted through the window's invalidation, as a timer tick does it.
// Goals: a full paint under 2 ms, a knob under 50 microseconds.
#include "platform/Platform.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiPath.h"
#include "toolkit/vpaGui.h"
#include "toolkit/vpaGuiEngine.h"
#include "toolkit/vpaGuiPanel.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// The mode-4 editor: panels of layouts 1 to 4 and the strip at their places.
class CEditorImage {
public:
    bool Open()
    {
        // The benchmark lies in bin/, the skin in bundle/ beside it.
        const std::string sSkin = platform::GetModuleFolder() + "../bundle/Vantor.xrs";
        if (!mEngine.OpenResources(epi::ToolkitPathFrom(sSkin), false) || !mWindow.Create(&mEngine, 100))
            return false;
        const int aPlaces[][2] = { { 1, 18 }, { 2, 278 }, { 3, 413 }, { 4, 600 }, { 10, 0 } };
        for (const auto& place : aPlaces) {
            mPanels.push_back(std::make_unique<vpaGuiPanel>());
            mPanels.back()->SetLayoutId(place[0]);
            mPanels.back()->SetOrigin(0, place[1]);
            if (!mPanels.back()->Attach(&mWindow))
                return false;
        }
        mWindow.DrawAll();
        return true;
    }

    vpaGuiEngine mEngine;
    vpaGui mWindow;
    std::vector<std::unique_ptr<vpaGuiPanel>> mPanels;
};

void BM_EditorFullRedraw(benchmark::State& state)
{
    CEditorImage image;
    if (!image.Open()) {
        state.SkipWithError("the skin bundle/Vantor.xrs is missing");
        return;
    }
    for (auto _ : state) {
        image.mWindow.DrawAll();
        benchmark::DoNotOptimize(image.mWindow.GetMap().GetPixels());
        image.mWindow.TakeUpdateRect();
    }
    state.counters["pixels"] = image.mWindow.GetMap().GetWidth() * image.mWindow.GetMap().GetHeight();
}
BENCHMARK(BM_EditorFullRedraw)->Unit(benchmark::kMicrosecond);

void BM_KnobRedraw(benchmark::State& state)
{
    CEditorImage image;
    if (!image.Open()) {
        state.SkipWithError("the skin bundle/Vantor.xrs is missing");
        return;
    }
    // The compressor's attack rotary, configured as its module panel does.
    vpaGuiPanel& comp = *image.mPanels[1];
    comp.SendToControl(6, epiAlphaControl_rotary::kRange, 0, 30000);
    int nValue = 0;
    for (auto _ : state) {
        nValue = (nValue + 397) % 30001;
        comp.SetControlValue(6, nValue);
        image.mWindow.Redraw();
        benchmark::DoNotOptimize(image.mWindow.TakeUpdateRect());
    }
}
BENCHMARK(BM_KnobRedraw)->Unit(benchmark::kMicrosecond);

} // namespace
