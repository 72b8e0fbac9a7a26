// An editor on a real process, opened off-screen, driven the way the window
// system would drive it: synthetic mouse events, timer ticks and a look at
// the picture the window received.
#pragma once

#include "editor/GUIDriver.h"
#include "editor/VantorGUI.h"
#include "editor/VantorPanel.h"
#include "editor/Window.h"
#include "processor/VantorPlugIn.h"
#include "processor/VantorProcess.h"
#include "tests/processor/ProcessRig.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiPanelControl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Without a display the toolkit's alerts go to stderr instead of a modal
// box that would wait for a click; the display comes back afterwards.
class CNoDisplay {
public:
    CNoDisplay()
    {
        if (const char* pszDisplay = std::getenv("DISPLAY"))
            msDisplay = pszDisplay;
        ::unsetenv("DISPLAY");
    }
    ~CNoDisplay()
    {
        if (!msDisplay.empty())
            ::setenv("DISPLAY", msDisplay.c_str(), 1);
    }
    CNoDisplay(const CNoDisplay&) = delete;
    CNoDisplay& operator=(const CNoDisplay&) = delete;

private:
    std::string msDisplay;
};

// The text a panel's text control shows.
inline std::string TextOf(CVantorPanel& panel, int nControl)
{
    auto* pText = dynamic_cast<epiAlphaControl_text*>(panel.GetControl(nControl));
    return pText != nullptr ? pText->GetText() : std::string("<no text control>");
}

inline std::string BuiltSkinPath()
{
    return std::string(VANTOR_BUNDLE_DIR) + "/Vantor.xrs";
}

struct SEditorRig {
    explicit SEditorRig(unsigned nMode = 4, const std::string& sSkin = BuiltSkinPath())
        : plugIn(&host)
        , pProcess(dynamic_cast<CVantorProcess*>(plugIn.CreateProcess(nMode)))
        , pEditor(new CVantorGUI(sSkin))
    {
        pProcess->SetNrOfChannelsIn(2);
        pProcess->SetNrOfChannelsOut(2);
        pProcess->SetMaxBufferSize(8192);
        pProcess->SetSampleFreq(44100.0f);
        pProcess->Start();
        pEditor->SetProcess(pProcess);
        pEditor->Open(nullptr, 0, 0);
        Ticks(2);
        host.mChanges.clear();
    }
    ~SEditorRig()
    {
        pEditor->DestroySelf();
        pProcess->DestroySelf();
    }
    SEditorRig(const SEditorRig&) = delete;
    SEditorRig& operator=(const SEditorRig&) = delete;

    CWindow& Window() { return *pEditor->GetWindow(); }
    CVantorPanel& Panel(int nId)
    {
        CVantorPanel* pPanel = Window().FindPanel(nId);
        EXPECT_NE(pPanel, nullptr) << "panel " << nId;
        return *pPanel;
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            Window().TimerTick();
    }
    // The middle of a control, in window coordinates.
    std::pair<int, int> Centre(int nPanel, int nControl)
    {
        const SEpiRect& r = Panel(nPanel).GetControl(nControl)->GetBounds();
        return { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
    }
    // Presses on a control, moves the pointer by nDown pixels and lets go.
    void Drag(int nPanel, int nControl, int nDown)
    {
        const auto centre = Centre(nPanel, nControl);
        Window().MouseDown(centre.first, centre.second);
        Window().MouseMove(centre.first, centre.second + nDown / 2);
        Window().MouseMove(centre.first, centre.second + nDown);
        Window().MouseUp();
        Ticks(1);
    }
    void Click(int nPanel, int nControl)
    {
        const auto centre = Centre(nPanel, nControl);
        Window().MouseDown(centre.first, centre.second);
        Window().MouseUp();
        Ticks(1);
    }
    // Runs nFrames of a stereo signal of constant level through the process.
    void Play(float fLevel, unsigned nFrames)
    {
        std::vector<float> left(512), right(512);
        for (unsigned nDone = 0; nDone < nFrames; nDone += 512) {
            for (size_t i = 0; i < left.size(); ++i)
                left[i] = right[i] = (i % 2 == 0 ? fLevel : -fLevel);
            float* ppBuffers[2] = { left.data(), right.data() };
            int nFlag = 0;
            pProcess->ProcessInPlace(ppBuffers, 512, &nFlag);
        }
    }
    // What the window shows now.
    std::vector<uint32_t> Screen()
    {
        platform::IWindow* pWindow = pEditor->GetGUIDriver()->GetWindow();
        std::vector<uint32_t> pixels(static_cast<size_t>(pWindow->GetWidth()) * pWindow->GetHeight());
        pWindow->Capture(pixels.data());
        return pixels;
    }

    CRecordingHost host;
    CVantorPlugIn plugIn;
    CVantorProcess* pProcess;
    CVantorGUI* pEditor;
};
