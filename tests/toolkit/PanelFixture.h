// Windows and panels for the panel tests: the built Vantor.xrs with the
// panels at their editor positions, or a small synthetic skin, and a panel
// that records what it is told.
#pragma once

#include "toolkit/epiPanel.h"
#include "toolkit/epiPath.h"
#include "toolkit/vpaGui.h"
#include "toolkit/vpaGuiEngine.h"
#include "toolkit/vpaGuiPanel.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

class CRecordingPanel : public vpaGuiPanel {
public:
    void Notify(int nPhase) override { mPhases.push_back(nPhase); }
    void ReportValue(int nIndex, int nValue) override { mReports.emplace_back(nIndex, nValue); }
    void BackgroundClick(bool bDouble) override { mBackground.push_back(bDouble); }

    std::vector<int> mPhases;
    std::vector<std::pair<int, int>> mReports;
    std::vector<bool> mBackground;
};

// Panel layouts and their places in the mode-4 window (main layout 100).
struct SPanelPlace {
    int32_t iLayout;
    int v;
};
inline const std::vector<SPanelPlace>& EditorPlaces()
{
    static const std::vector<SPanelPlace> places = { { 1, 18 }, { 2, 278 }, { 3, 413 }, { 4, 600 }, { 10, 0 } };
    return places;
}

class CPanelTestBase : public ::testing::Test {
protected:
    // Opens a skin file (native path) and makes a window of a main layout.
    void OpenSkin(const std::string& sPath, int32_t iMainLayout)
    {
        ASSERT_TRUE(mEngine.OpenResources(epi::ToolkitPathFrom(sPath), false)) << sPath;
        ASSERT_TRUE(mWindow.Create(&mEngine, iMainLayout));
    }
    CRecordingPanel& AddPanel(int32_t iLayout, int h, int v, bool bExpectLayout = true)
    {
        mPanels.push_back(std::make_unique<CRecordingPanel>());
        CRecordingPanel& panel = *mPanels.back();
        panel.SetLayoutId(iLayout);
        panel.SetOrigin(h, v);
        EXPECT_EQ(panel.Attach(&mWindow), bExpectLayout) << "layout " << iLayout;
        return panel;
    }
    // The editor's mode-4 window: panels of layouts 1 to 4 and the menu strip.
    void OpenEditor()
    {
        OpenSkin(VANTOR_BUNDLE_DIR "/Vantor.xrs", 100);
        for (const SPanelPlace& place : EditorPlaces())
            AddPanel(place.iLayout, 0, place.v);
        mWindow.DrawAll();
    }
    CRecordingPanel& Panel(int32_t iLayout)
    {
        for (const auto& pPanel : mPanels)
            if (pPanel->GetLayoutId() == iLayout)
                return *pPanel;
        ADD_FAILURE() << "no panel of layout " << iLayout;
        return *mPanels.front();
    }
    static SEpiPoint Centre(const epiPanelControl* pControl)
    {
        const SEpiRect& r = pControl->GetBounds();
        return SEpiPoint { static_cast<int16_t>((r.left + r.right) / 2), static_cast<int16_t>((r.top + r.bottom) / 2) };
    }
    epiInputState& Input() { return mWindow.GetInputState(); }
    void Press(SEpiPoint point) { mWindow.MouseDown(point.h, point.v); }
    void MoveTo(int h, int v) { mWindow.MouseMove(h, v); }
    void Release() { mWindow.MouseUp(); }

    vpaGuiEngine mEngine;
    vpaGui mWindow;
    std::vector<std::unique_ptr<CRecordingPanel>> mPanels;
};
