// A layout source of the skin: one readable text file per layout. It gives
// the layout resource (rectangle and items) and what the builder paints on
// the layout's background image (title, group boxes, labels, knob scales,
// value-field wells). Syntax, one statement per line, "#" starts a comment:
//
//   layout 1                      resource id
//   capacity 100                  items the resource holds: 100 or 50
//   rect 0 0 900 260              left top right bottom
//   background bg-eq              cast painted from this file (optional)
//   title "EQUALISER"
//   group X Y W H "TITLE"         a recessed box
//   label X Y "TEXT" [align]      a caption (centre, left or right of X)
//   5 rotary at=30,40 casts=knob-frame,knob-strip label="FREQ" scale=uni
//
// An item line starts with the control index and kind (static button check
// radio text edittext rotary meter scroll ledmeter range segmentmeter knob
// hiermenu list rollingtext), then key=value pairs: at, casts (names or
// numbers), size, state, tag, name, font, align (left centre right), offset,
// maxwidth, label, scale (uni bi); and the flag well (a value field is
// painted behind it). Gaps between indices become hidden static items.
#pragma once

#include "toolkit/epiLayout.h"

#include <map>
#include <string>
#include <vector>

struct SSkinGroup {
    int x, y, w, h;
    std::string sTitle;
};

struct SSkinLabel {
    int x, y;
    std::string sText;
    int nAlign; // 0 left, 1 centre, 2 right of x
};

struct SSkinItemSource {
    int nIndex = -1; // -1 for the hidden items that fill gaps
    std::vector<std::string> casts; // names or numbers, frame order
    std::string sLabel;
    std::string sScale;
    bool bWell = false;
};

struct SSkinLayoutSource {
    int nId = -1;
    int nCapacity = 100;
    SEpiRect rect { 0, 0, 0, 0 };
    std::string sBackground;
    std::string sTitle;
    std::vector<SSkinGroup> groups;
    std::vector<SSkinLabel> labels;
    std::vector<SSkinItemSource> itemSources; // by item index
    epiLayout layout; // casts still 0 until resolved
    std::string sFile;
};

// Parses a layout source; false with a message naming file and line.
bool ParseSkinLayout(const std::string& sPath, SSkinLayoutSource& source, std::string& sError);

// Fills the cast ids of the layout from the names; false naming an unknown one.
bool ResolveSkinCasts(SSkinLayoutSource& source, const std::map<std::string, int>& castIds, std::string& sError);
