// What a host that shows the editor from another binary needs beyond
// vpa::IGUI: the editor's own window (LV2 hosts embed it by its id) and a
// way to hand it meter readings. The LV2 UI binds the editor to a process
// that only models the parameters, since the audio runs in the plug-in
// binary, and feeds the readings of the plug-in's meter ports here; from
// the first reading on, the editor shows fed readings instead of its
// process's own. Found the way vpa::FindMeters finds meters, so a host that
// loads the library at run time needs no link to it.
#pragma once

#include "host-interface/vpaGUI.h"

#include <cstdint>
#include <string>

class VPA_EXPORT IVantorEmbeddedEditor {
public:
    // The X Window id of the editor's window while it is open, else 0.
    virtual uintptr_t GetWindowId() = 0;
    // nWhich as the process's meters: 0, 1 needles (1.0 = rest), 2 … 4 clip
    // lights (0 dark, else lit).
    virtual void SetMeterReading(unsigned nWhich, float fValue) = 0;
    // bUnattended: nobody is there to answer (screenshots, printed texts):
    // alerts go to stderr with the answer that changes nothing, never into
    // a box that waits.
    virtual void SetUnattended(bool bUnattended) = 0;
    // One line "PANEL CONTROL TEXT" per value text of the open editor's
    // module panels (panels 1 equaliser … 4 clipper), by panel and control.
    virtual std::string ListValueTexts() = 0;
    // The host loaded the preset file sPath into the process before opening
    // the editor (and changed values since when bChanged): the preset strip
    // names it as if it had been loaded from the menu.
    virtual void SetCurrentPreset(const std::string& sPath, bool bChanged) = 0;

protected:
    ~IVantorEmbeddedEditor() = default;
};

inline IVantorEmbeddedEditor* FindEmbeddedEditor(vpa::IGUI* pEditor)
{
    return pEditor != nullptr ? dynamic_cast<IVantorEmbeddedEditor*>(static_cast<vpa::IObject*>(pEditor)) : nullptr;
}
