// Visibility of the host contract: the vpa classes and vpaMain are the only
// names the plug-in library exports (the rest is hidden at compile time and
// made local by the linker's version script).
#pragma once

#define VPA_EXPORT __attribute__((visibility("default")))
