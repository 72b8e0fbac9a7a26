// How the plug-in gets its editor: the library's entry point hands this
// function to the plug-in object (CVantorPlugIn's editor factory), so the
// processor never links or sees the editor's classes.
#pragma once

namespace vpa {
class IGUI;
class IProcess;
} // namespace vpa

// A new editor bound to pProcess, or null when memory runs out.
vpa::IGUI* CreateVantorEditor(vpa::IProcess* pProcess);
