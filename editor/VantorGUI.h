// The plug-in's editor: what the host gets from CreateGUI. It owns the
// driver (system window and picture) and the toolkit window with the panels,
// and answers the process's notifications (IVantorGUI).
#pragma once

#include "GUIDriver.h"
#include "IVantorEmbeddedEditor.h"
#include "host-interface/vpaGUI.h"
#include "processor/IVantorGUI.h"

#include <cstdint>
#include <memory>
#include <string>

class CWindow;
class vpaGuiEngine;

class CVantorGUI : public vpa::CGUI, public IVantorGUI, public IVantorEmbeddedEditor, public CGUIDriver::IOffsetSource {
public:
    // The text of the alert when the skin file cannot be opened.
    static constexpr const char* kSkinFileName = "Vantor.xrs";
    // The size an editor without a skin reports; it shows why it is empty.
    static constexpr int kEmptyWidth = 600;
    static constexpr int kEmptyHeight = 120;

    // Opens the skin file beside the library (the alert tells when it is
    // missing).
    CVantorGUI();
    // The same with the skin file at sSkinPath (a native path).
    explicit CVantorGUI(const std::string& sSkinPath);
    ~CVantorGUI() override;
    CVantorGUI(const CVantorGUI&) = delete;
    CVantorGUI& operator=(const CVantorGUI&) = delete;

    // vpa::IGUI
    void SetProcess(vpa::IProcess* pProcess) override;
    void GetSize(long& nWidth, long& nHeight) override;
    // pParentWindow carries an X Window id; null opens the editor off-screen.
    void Open(void* pParentWindow, long nX, long nY) override;
    void Move(long nX, long nY) override;
    void Close() override;
    // Not supported: sets the open flags, then throws "Not Implemented".
    void OpenFloating(long nX, long nY) override;
    void Activate() override;
    void Paint() override;
    // Pumps the window's events and runs the 10 ms timer tick when due.
    void Idle() override;
    void Deactivate() override;
    void PanelStep(long nArgument) override;

    // IVantorGUI
    void SetControlValue(int nKey, int nValue) override;
    void InvalidateEQCurve() override;
    void* GetDriver() override;
    void SetPanelChainPosition(int nPanel, int nPosition) override;

    bool HasSkin() const;
    bool IsOpen() const { return mbOpen; }
    CWindow* GetWindow() const { return mpWindow.get(); }
    CGUIDriver* GetGUIDriver() const { return mpDriver.get(); }

    // IVantorEmbeddedEditor
    uintptr_t GetWindowId() override;
    void SetMeterReading(unsigned nWhich, float fValue) override;
    void SetUnattended(bool bUnattended) override;
    std::string ListValueTexts() override;
    void SetCurrentPreset(const std::string& sPath, bool bChanged) override;

    // Why the editor is empty ("" when it is not): shown in its window.
    const std::string& GetProblem() const { return msProblem; }

    // CGUIDriver::IOffsetSource
    void GetPaintOffset(int& nX, int& nY) override;

private:
    void Attach(const std::string& sSkinPath);
    void ShowProblem();
    void ShowPreset();

    std::unique_ptr<CGUIDriver> mpDriver;
    std::unique_ptr<vpaGuiEngine> mpEngine;
    std::unique_ptr<CWindow> mpWindow;
    bool mbBuilt;
    bool mbOpen;
    bool mbUnattended;
    std::string msProblem;
    std::string msPresetPath; // named by the host, for the strip once built
    bool mbPresetChanged = false;
};
