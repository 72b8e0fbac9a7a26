// The four module panels' controls against the published panel tables, typed
// by hand: which control moves for which parameter and how a value maps to
// a knob position (linear or logarithmic, decimals, range, base). The texts
// beside the knobs are pinned word for word in ReadoutTest.cpp.
#include "EditorRig.h"

#include "parameters/ConverterLinear.h"
#include "parameters/ConverterLog.h"

#include <memory>

namespace {

enum EMapping { kNone, kLin, kLog };

struct SPanelRow {
    int nPanel;
    int nParameter;
    int nControl;
    EMapping mapping;
    int nDecimals = 0; // of the converter; with the range and base below
    int nMin = 0;
    int nMax = 0;
    int nBase = 0;
};

// clang-format off
const SPanelRow kPanelRows[] = {
    // Equaliser.
    {1, 2, 3, kNone}, {1, 2, 16, kNone},
    {1, 3, 5, kLog, 0, 15, 5300, 1000},
    {1, 4, 17, kNone},
    {1, 5, 6, kLog, 0, 30, 800, 50},
    {1, 6, 11, kLin, 1, -150, 150},
    {1, 7, 18, kNone},
    {1, 8, 7, kLog, 0, 33, 5400, 1000},
    {1, 9, 12, kLin, 1, -150, 150},
    {1, 10, 1, kNone},
    {1, 11, 19, kNone},
    {1, 12, 8, kLog, 0, 200, 17500, 1000},
    {1, 13, 13, kLin, 1, -150, 150},
    {1, 14, 2, kNone},
    {1, 15, 20, kNone},
    {1, 16, 9, kLog, 0, 750, 8300, 1000},
    {1, 17, 14, kLin, 1, -150, 150},
    {1, 18, 21, kNone},
    {1, 19, 10, kLog, 0, 200, 19201, 1000},
    {1, 20, 22, kNone},
    {1, 21, 15, kLin, 1, -180, 180},
    // Compressor.
    {2, 22, 2, kNone}, {2, 22, 3, kNone},
    {2, 23, 5, kLog, 0, 32, 218, 1000},
    {2, 24, 6, kLog, 0, 120, 820, 500},
    {2, 25, 7, kLog, 0, 290, 14000, 500},
    {2, 26, 9, kLog, 2, 150, 468, 500},
    {2, 27, 8, kLin, 1, -50, 50},
    {2, 28, 10, kLin, 1, -150, 150},
    {2, 29, 4, kLin, 1, -180, 180},
    // Limiter.
    {3, 30, 2, kNone}, {3, 30, 3, kNone},
    {3, 31, 14, kLog, 0, 800, 15000, 500},
    {3, 32, 17, kLin, 1, -90, 160},
    {3, 33, 15, kLin, 1, -53, 53},
    {3, 34, 4, kLin, 1, -180, 180},
    {3, 35, 12, kLog, 0, 30, 1900, 1000},
    {3, 36, 13, kLog, 0, 1000, 20400, 1000},
    {3, 37, 5, kLin, 1, -120, 120},
    {3, 38, 11, kLin, 1, -180, 180},
    {3, 39, 7, kLin, 1, -120, 120},
    {3, 40, 10, kLin, 1, -180, 180},
    {3, 41, 8, kLin, 1, -120, 120},
    {3, 42, 9, kLin, 1, -180, 180},
    // Clipper.
    {4, 43, 2, kNone}, {4, 43, 3, kNone},
    {4, 44, 4, kLin, 1, -150, 150},
    {4, 45, 5, kLin, 1, -120, 0},
    {4, 46, 10, kLin, 1, -600, 60},
};
// clang-format on

constexpr int kPositions = 30000;

std::unique_ptr<adl::IConverter, void (*)(adl::IConverter*)> ConverterOf(const SPanelRow& row)
{
    adl::IConverter* pConverter = nullptr;
    if (row.mapping == kLog)
        pConverter = new adl::CConverterLog(row.nDecimals, row.nMin, row.nMax, row.nBase, 0, kPositions);
    else if (row.mapping == kLin)
        pConverter = new adl::CConverterLinear(row.nDecimals, row.nMin, row.nMax, 0, kPositions);
    return { pConverter, [](adl::IConverter* p) {
                if (p != nullptr)
                    p->Destroy();
            } };
}

TEST(PanelTable, EveryControlFollowsItsParameterWithThePublishedMapping)
{
    SEditorRig rig(4);
    for (const SPanelRow& row : kPanelRows) {
        SCOPED_TRACE("panel " + std::to_string(row.nPanel) + " control " + std::to_string(row.nControl) + " parameter "
            + std::to_string(row.nParameter));
        epiPanelControl* pControl = rig.Panel(row.nPanel).GetControl(row.nControl);
        ASSERT_NE(pControl, nullptr);
        const auto pConverter = ConverterOf(row);
        // Switches and lists: the value is the position. Ranges: both ends,
        // a quarter and three quarters of the way.
        std::vector<int> values = { 0, 1, 0 };
        if (pConverter) {
            const int nSpan = row.nMax - row.nMin;
            values = { row.nMin, row.nMax, row.nMin + nSpan / 4, row.nMin + 3 * nSpan / 4 };
        }
        for (int nValue : values) {
            rig.pProcess->SetParameter(static_cast<unsigned>(row.nParameter), nValue);
            rig.Ticks(1);
            const int nPosition = pConverter ? pConverter->ValueToPosition(nValue) : nValue;
            EXPECT_EQ(pControl->GetValue(), nPosition) << "value " << nValue;
        }
    }
}

TEST(PanelTable, NoOtherControlOfAModulePanelIsBoundToAParameter)
{
    for (int nPanel = 1; nPanel <= 4; ++nPanel) {
        std::vector<CVantorPanel::SBinding> expected;
        for (const SPanelRow& row : kPanelRows)
            if (row.nPanel == nPanel)
                expected.push_back({ row.nParameter, row.nControl, 0 });
        const std::vector<CVantorPanel::SBinding> bindings = CVantorPanel::PanelBindings(nPanel);
        ASSERT_EQ(bindings.size(), expected.size()) << "panel " << nPanel;
        for (size_t i = 0; i < bindings.size(); ++i) {
            EXPECT_EQ(bindings[i].nParameter, expected[i].nParameter) << "panel " << nPanel << " row " << i;
            EXPECT_EQ(bindings[i].nControl, expected[i].nControl) << "panel " << nPanel << " row " << i;
        }
    }
    EXPECT_TRUE(CVantorPanel::PanelBindings(0).empty()) << "the preset strip binds no parameter";
}

} // namespace
