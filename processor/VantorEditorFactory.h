// The one door from the processor to the editor: CVantorPlugIn::CreateGUI
// asks for an editor through this function, which the editor library
// defines, so the processor never sees the editor's classes.
#pragma once

namespace vpa {
class IGUI;
class IProcess;
} // namespace vpa

// A new editor bound to pProcess, or null when memory runs out.
vpa::IGUI* CreateVantorEditor(vpa::IProcess* pProcess);
