// What the user asked a process to be: a mode, a preset, NAME=VALUE
// assignments and a chain order. Checked once, against the parameters the
// library publishes, before any audio is touched; then applied the same way
// to every process (one per file, and the probes of the report).
#pragma once

#include "PresetStore.h"
#include "VantorEngine.h"

#include "hosting/ParameterText.h"

#include <string>
#include <vector>

struct SSettingsRequest {
    unsigned nMode = kModeChain;
    std::string sPreset; // name or file, "" for none
    std::vector<std::string> sets; // "NAME=VALUE" in the order given
    std::string sOrder; // "eq,comp,lim,clip", "" to keep
};

class CProcessSettings {
public:
    // Resolves the preset, parses the assignments and the order. Throws a
    // usage error for unknown names or values; out-of-range values are
    // clamped and reported in GetWarnings().
    void Prepare(const SSettingsRequest& request, CVantorEngine& engine, const CPresetStore& store);

    // Preset first, then the order, then the assignments in the order given.
    void Apply(vpa::IProcess& process) const;

    unsigned GetMode() const { return mnMode; }
    const CParameterText& GetParameters() const { return mParameters; }
    const std::vector<std::string>& GetWarnings() const { return mWarnings; }

    // "eq,comp,lim,clip" -> chain-order row; throws a usage error.
    static int ParseOrder(const std::string& sOrder);

private:
    struct SAssignment {
        int nIndex;
        int nValue;
    };

    unsigned mnMode = kModeChain;
    const CPresetStore* mpStore = nullptr;
    std::string msPresetPath;
    int mnOrderRow = -1;
    std::vector<SAssignment> mAssignments;
    CParameterText mParameters;
    std::vector<std::string> mWarnings;
};
