// A parameter's value text as the editor shows it beside its knob ("1.9 KHz",
// "-3.3 dB", "32 ms", "3.10", "Off"), built from the parameter table alone so
// that the editor, the LV2 UI and the command-line tool show the same texts.
#pragma once

#include <string>

namespace adl {
class CDisplayTranslater;
}

// A new translater for parameter nIndex: the table's decimals, display width
// and shown decimals, the unit steps of its unit (Hz/KHz, ms/s, dB) and its
// minimum and maximum texts. Null for a parameter without a value text
// (switches, lists, "Patch"), an index out of range or no memory.
adl::CDisplayTranslater* CreateParameterTranslater(int nIndex);

// The text for a stored value of parameter nIndex; "" when the parameter has
// no value text. A parameter without a unit (the ratio) shows the bare number.
std::string ParameterDisplayText(int nIndex, int nStored);

// The text a translater made, without the blank it puts before an empty unit.
std::string TrimDisplayText(std::string sText);
