// The blocks of a preset file, derived from the parameter table: the
// whole-process parameters, then each module's, one block per run of
// parameters of one module in index order.
#pragma once

#include "presets/PresetFile.h"

#include <vector>

std::vector<SPresetBlock> VantorPresetLayout();
