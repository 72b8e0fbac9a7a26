// The control factory of the panels: the class for a layout item's kind.
#pragma once

#include "toolkit/epiPanelControl.h"

#include <memory>

// 300 static, 301 button, 302 check, 303 radio, 304 text, 305 edit text,
// 306 rotary, 307 meter, 308 scroll, 309 LED meter, 310 range, 311 segment
// meter, 312 knob, 313 hierarchical menu, 314 list, 315 rolling text; any
// other kind a plain epiAlphaControl. Null only when memory runs out.
std::unique_ptr<epiPanelControl> epiCreateControl(int16_t nKind);
