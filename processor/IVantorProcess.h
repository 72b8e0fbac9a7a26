// The process's face for the editor and the preset code.
#pragma once

#include <string>

namespace adl {
class IDataManager;
}

// The output meter's readings of GetMeter: sample peaks (linear magnitude,
// the highest since the last call), the same held 1.5 s, and the short-term
// loudness in LUFS (-70 for silence). Then the lowest needle value of the
// compressor's and the limiter's gain meter since the last call (linear
// gain, 1.0 = no reduction; a call starts the next interval), for a reader
// that wants every swing of the needle without polling at the audio rate.
enum EOutputMeter : unsigned {
    kMeterPeakLeft = 5,
    kMeterPeakRight = 6,
    kMeterHeldPeakLeft = 7,
    kMeterHeldPeakRight = 8,
    kMeterShortTermLufs = 9,
    kMeterLowestCompressorGain = 10,
    kMeterLowestLimiterGain = 11,
    kNrOfMeters = 12,
};

class IVantorProcess {
public:
    virtual adl::IDataManager* GetDataManager() = 0;
    // Straight to the chain's SetParameter (chain-wide index, engineering units).
    virtual void SetDSPParameter(int nDSPIndex, float fValue) = 0;
    // Recomputes which modules run from the enables, the process type and
    // the global bypass.
    virtual void UpdateModuleEnables() = 0;
    // Stored value / 10^decimals of parameter nIndex.
    virtual float ScaleValue(unsigned nIndex, int nValue) = 0;
    // The process type 0..4.
    virtual unsigned GetMode() = 0;
    // 0, 1: needle values of the compressor and limiter meters (1.0 = rest);
    // 2..4: clip indicators (1.0 lit, 0.0 dark); 5..9 the output meter,
    // 10, 11 the needles' lowest values (see EOutputMeter).
    virtual float GetMeter(unsigned nWhich) = 0;
    // The equaliser's magnitude response in dB at 313 frequencies.
    virtual void GetEQCurve(float* pfCurve) = 0;
    virtual void InvalidateEQCurve() = 0;
    // Preset files: see the preset format.
    virtual void SavePreset(std::string sPath) = 0;
    virtual void LoadPreset(std::string sName, int nModule, bool bInPresetsFolder) = 0;
    virtual void LoadModuleDefault(int nModule) = 0;
    // Moves a module (0..3) to a chain position (0..3), swapping with the
    // module there; the host hears the new "Patch" value.
    virtual void MoveModule(int nModule, int nPosition) = 0;
    virtual void UpdateGUIChainOrder() = 0;

protected:
    ~IVantorProcess() = default;
};
