// Parameters by name and value text, as users type them: "Limiter Input
// Drive=4.5", "Ratio=2.5", "LCF=off", "Global Bypass=on", "LMQ=high q".
// Works on the descriptors a process publishes, so every host (the
// command-line tool, the preset generator, the LV2 wrapper) names parameters
// the same way.
#pragma once

#include "host-interface/vpaProcess.h"

#include <string>
#include <vector>

// One parameter's descriptor, with its texts split and copied.
struct SParameterText {
    std::vector<std::string> names; // longest first
    std::string unit; // "" when none
    int nType = 0; // 0 numeric, 1 list of named values
    int nMin = 0, nMax = 0, nDefault = 0;
    int nDecimals = 0;
    std::string minText, maxText; // shown at nMin / nMax, or ""
    std::vector<std::string> valueTexts; // names of nMin..nMax (lists)
    bool bActive = false;
};

// A descriptor's fields as texts: names and value texts split at '@', null
// texts as "".
SParameterText MakeParameterText(const char* pszName, const char* pszUnit, int nType, int nMin, int nMax, int nDefault,
    int nDecimals, const char* pszMinText, const char* pszMaxText, const char* pszValueTexts, bool bActive);

class CParameterText {
public:
    // Reads the descriptors of a process.
    void Load(vpa::IProcess& process);
    // Or takes them as they are (tests, tables).
    void Load(const std::vector<SParameterText>& parameters) { mParameters = parameters; }

    size_t GetCount() const { return mParameters.size(); }
    const SParameterText& Get(int nIndex) const { return mParameters[static_cast<size_t>(nIndex)]; }

    // The parameter a name means: its full name or any short name, in any
    // case; where a short name belongs to several parameters, the active one
    // wins. -1 when no parameter (or more than one active one) has it.
    int Find(const std::string& sName) const;

    // The stored value a text means for parameter nIndex: a number in
    // engineering units (rounded to the parameter's decimals), a value text
    // of a list ("High Q", "on"), or its minimum or maximum text ("Off").
    // Values outside the range are clamped and sWarning says so. False with
    // sError set when the text means nothing.
    bool ParseValue(
        int nIndex, const std::string& sText, int& nStored, std::string& sWarning, std::string& sError) const;

    // Why a name finds no parameter: the parameters that share it, or the
    // closest names.
    std::string DescribeUnknown(const std::string& sName) const;

    // "NAME=VALUE" in one go.
    bool ParseAssignment(
        const std::string& sAssignment, int& nIndex, int& nStored, std::string& sWarning, std::string& sError) const;

    // A stored value as plain text: the value text of a list, the minimum or
    // maximum text, else the number with the parameter's decimals and unit.
    std::string Format(int nIndex, int nStored) const;

private:
    std::vector<SParameterText> mParameters;
};
