#include "DriveGain.h"

#include "GainReductionProbe.h"

#include <algorithm>
#include <cmath>

namespace {

struct SStageName {
    const char* pszName;
    int nModule; // 0 equaliser, 1 compressor, 2 limiter, 3 clipper
};

// In the order they take the gain.
const SStageName kStages[] = {
    { "Limiter Input Drive", 2 },
    { "Compressor Input Drive", 1 },
    { "Clipper Gain", 3 },
};
const SStageName kLevelStage = { "EQ Output", 0 };

} // namespace

CDriveGain::CDriveGain(CVantorEngine& engine, const CProcessSettings& settings)
    : mSettings(settings)
{
    ProcessPtr pProcess = engine.CreateProcess(settings.GetMode(), 2, 44100.0, 64);
    settings.Apply(*pProcess);
    const unsigned nRunning = CGainReductionProbe::RunningModules(*pProcess, settings.GetMode());
    const CParameterText& parameters = settings.GetParameters();
    auto AddStage = [&](const SStageName& name) {
        const int nIndex = parameters.Find(name.pszName);
        if (nIndex < 0 || (nRunning & (1u << name.nModule)) == 0)
            return;
        const SParameterText& text = parameters.Get(nIndex);
        if (text.nDecimals != 1)
            return; // every drive is in 0.1 dB steps; anything else is not a drive
        mStages.push_back({ nIndex, text.names.front(), pProcess->GetParameter(nIndex), text.nMin, text.nMax });
    };
    for (const SStageName& name : kStages)
        AddStage(name);
    if (mStages.empty())
        AddStage(kLevelStage);
    for (const SStage& stage : mStages) {
        mfLowestDb -= (stage.nStored - stage.nMin) * mfStepDb;
        mfHighestDb += (stage.nMax - stage.nStored) * mfStepDb;
    }
}

double CDriveGain::Quantise(double fOffsetDb) const
{
    if (!std::isfinite(fOffsetDb))
        return 0.0;
    const double fClamped = std::clamp(fOffsetDb, mfLowestDb, mfHighestDb);
    return std::round(fClamped / mfStepDb) * mfStepDb;
}

std::vector<int> CDriveGain::Spread(double fOffsetDb) const
{
    long long nSteps = std::llround(Quantise(fOffsetDb) / mfStepDb);
    std::vector<int> steps(mStages.size(), 0);
    for (size_t i = 0; i < mStages.size() && nSteps != 0; ++i) {
        const SStage& stage = mStages[i];
        const long long nRoom = nSteps > 0 ? stage.nMax - stage.nStored : stage.nMin - stage.nStored;
        const long long nTaken = nSteps > 0 ? std::min(nSteps, nRoom) : std::max(nSteps, nRoom);
        steps[i] = static_cast<int>(nTaken);
        nSteps -= nTaken;
    }
    return steps;
}

std::vector<SParameterOverride> CDriveGain::GetOverrides(double fOffsetDb) const
{
    const std::vector<int> steps = Spread(fOffsetDb);
    std::vector<SParameterOverride> overrides;
    for (size_t i = 0; i < mStages.size(); ++i) {
        if (steps[i] != 0)
            overrides.push_back({ mStages[i].nIndex, mStages[i].nStored + steps[i] });
    }
    return overrides;
}

std::string CDriveGain::Describe(double fOffsetDb) const
{
    const std::vector<int> steps = Spread(fOffsetDb);
    std::string sText;
    for (size_t i = 0; i < mStages.size(); ++i) {
        if (steps[i] == 0)
            continue;
        const SStage& stage = mStages[i];
        sText += (sText.empty() ? "" : ", ") + stage.sName + " "
            + mSettings.GetParameters().Format(stage.nIndex, stage.nStored) + " -> "
            + mSettings.GetParameters().Format(stage.nIndex, stage.nStored + steps[i]);
    }
    return sText.empty() ? std::string("the settings as given") : sText;
}
