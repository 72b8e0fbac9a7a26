// The mastering process's 47 parameters. The constant table below is the one
// source of truth for them: the process builds its host descriptors from it,
// and the command-line tool, the LV2 Turtle generator and the tests read it
// without a process.
#pragma once

#include "host-interface/vpaProcess.h"

#include <cstdint>

constexpr int kNrOfVantorParameters = 47;

// Process type that runs all four modules; types 0..3 run one module each
// (0 equaliser, 1 compressor, 2 limiter, 3 clipper).
constexpr unsigned kChainProcessType = 4;

// Parameter numbers: the identity of a parameter in the host interface, the
// state block, presets, data units and editor links.
enum EVantorParameter : int {
    kGlobalBypass = 0,
    kPatch = 1,
    kEqEnable = 2,
    kEqLowCutFreq = 3,
    kEqLowCutEnable = 4,
    kEqLowShelfFreq = 5,
    kEqLowShelfGain = 6,
    kEqLowShelfEnable = 7,
    kEqLowMidFreq = 8,
    kEqLowMidGain = 9,
    kEqLowMidQ = 10,
    kEqLowMidEnable = 11,
    kEqHighMidFreq = 12,
    kEqHighMidGain = 13,
    kEqHighMidQ = 14,
    kEqHighMidEnable = 15,
    kEqHighShelfFreq = 16,
    kEqHighShelfGain = 17,
    kEqHighShelfEnable = 18,
    kEqHighCutFreq = 19,
    kEqHighCutEnable = 20,
    kEqOutput = 21,
    kCompressorEnable = 22,
    kCompressorSidechainHpf = 23,
    kCompressorAttack = 24,
    kCompressorRelease = 25,
    kCompressorRatio = 26,
    kCompressorStereoEnhancer = 27,
    kCompressorInputDrive = 28,
    kCompressorOutput = 29,
    kLimiterEnable = 30,
    kLimiterRelease = 31,
    kLimiterInputDrive = 32,
    kLimiterOverload = 33,
    kLimiterOutput = 34,
    kLimiterCrossover1 = 35,
    kLimiterCrossover2 = 36,
    kLimiterBand1Threshold = 37,
    kLimiterBand1Gain = 38,
    kLimiterBand2Threshold = 39,
    kLimiterBand2Gain = 40,
    kLimiterBand3Threshold = 41,
    kLimiterBand3Gain = 42,
    kClipperEnable = 43,
    kClipperGain = 44,
    kClipperCurve = 45,
    kClipperOutput = 46,
};

// Module a parameter belongs to: the chain's module ids, or the whole process.
constexpr int kWholeProcess = -1;

// The fields of a host descriptor (vpa::SParameterInfo) as constants, plus
// the module that decides the active flag.
struct SParameterDescriptor {
    const char* pszName; // full name, then up to two shorter forms, separated by '@'
    const char* pszUnit; // "Hz", "dB", "Ms" or null
    int32_t nType; // 0 numeric range, 1 list of named values
    int32_t nMin; // stored values (fixed point, see nDecimals)
    int32_t nMax;
    int32_t nDefault;
    int32_t nDecimals; // engineering value = stored value / 10^nDecimals
    const char* pszMinText; // shown instead of the number at nMin, or null
    const char* pszMaxText; // shown instead of the number at nMax, or null
    int32_t nCurve; // control taper: 0 linear, 1 logarithmic
    int32_t nCurveParam; // taper parameter of curve 1 (1000, 500 or 50), else 0
    const char* pszValueTexts; // type 1: names of nMin..nMax separated by '@', else null
    int32_t nModule; // 0 equaliser, 1 compressor, 2 limiter, 3 clipper, or kWholeProcess
    // The editor controls bound to the parameter on its module's panel (panel
    // id = module + 1): the knob or switch, and a second control kept in step
    // with it, the value text of a range or a second switch of a list (-1 for
    // none; both -1 for the whole-process parameters).
    int32_t nControl;
    int32_t nSecondControl;
    // Decimals the editor's knob converter is built with: the stored
    // decimals, but 0 for the times (the mapping to positions is the same).
    int32_t nKnobDecimals;
    // How the editor's value text shows the value: at most nShownWidth
    // characters for sign, digits and point, at most nShownDecimals decimals.
    // Width 0: no value text (switches, lists, "Patch").
    int32_t nShownWidth;
    int32_t nShownDecimals;
};

extern const SParameterDescriptor kVantorParameters[kNrOfVantorParameters];

// Whether parameter nIndex belongs to a module that a process of the given
// type runs: "Global Bypass" always, "Patch" only in the full chain, every
// other parameter when its module runs. False for an index out of range.
bool IsParameterActive(int nIndex, unsigned nProcessType);

// The parameter that switches module nModule (0 equaliser .. 3 clipper) on:
// the first of the module's parameters. -1 for any other value.
int ModuleEnableParameter(int nModule);

// The panel of the editor that shows module nModule's parameters.
constexpr int PanelOfModule(int nModule)
{
    return nModule + 1;
}

// A host descriptor (ParameterInfo.cpp) for parameter nIndex with heap copies of every text, to
// be handed to vpa::CProcess::AddParameterInfo, which then owns it. Null for
// an index out of range or when memory runs out.
vpa::SParameterInfo* CreateParameterInfo(int nIndex, unsigned nProcessType);
