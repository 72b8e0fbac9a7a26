#include "toolkit/epiControlFactory.h"

#include "toolkit/epiAlphaControl_button.h"
#include "toolkit/epiAlphaControl_editText.h"
#include "toolkit/epiAlphaControl_hierMenu.h"
#include "toolkit/epiAlphaControl_knob.h"
#include "toolkit/epiAlphaControl_list.h"
#include "toolkit/epiAlphaControl_meter.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiAlphaControl_static.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiLayout.h"

#include <new>

namespace {

template <class T> std::unique_ptr<epiPanelControl> Make()
{
    return std::unique_ptr<epiPanelControl>(new (std::nothrow) T());
}

} // namespace

std::unique_ptr<epiPanelControl> epiCreateControl(int16_t nKind)
{
    switch (nKind) {
    case kEpiKindStatic: return Make<epiAlphaControl_static>();
    case kEpiKindButton: return Make<epiAlphaControl_button>();
    case kEpiKindCheck: return Make<epiAlphaControl_check>();
    case kEpiKindRadio: return Make<epiAlphaControl_radio>();
    case kEpiKindText: return Make<epiAlphaControl_text>();
    case kEpiKindEditText: return Make<epiAlphaControl_editText>();
    case kEpiKindRotary: return Make<epiAlphaControl_rotary>();
    case kEpiKindMeter: return Make<epiAlphaControl_meter>();
    case kEpiKindScroll: return Make<epiAlphaControl_scroll>();
    case kEpiKindLedMeter: return Make<epiAlphaControl_ledMeter>();
    case kEpiKindRange: return Make<epiAlphaControl_range>();
    case kEpiKindSegmentMeter: return Make<epiAlphaControl_segmentMeter>();
    case kEpiKindKnob: return Make<epiAlphaControl_knob>();
    case kEpiKindHierMenu: return Make<epiAlphaControl_hierMenu>();
    case kEpiKindList: return Make<epiAlphaControl_list>();
    case kEpiKindRollingText: return Make<epiAlphaControl_rollingText>();
    default: return Make<epiAlphaControl>();
    }
}
