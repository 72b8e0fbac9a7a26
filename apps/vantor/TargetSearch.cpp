#include "TargetSearch.h"

#include <algorithm>
#include <cmath>

namespace {

// The range a measured slope is held to (a limiter flattens it, nothing
// makes it steeper than the gain itself by much).
constexpr double kFlattestSlope = 0.1;
constexpr double kSteepestSlope = 1.5;

} // namespace

CTargetSearch::CTargetSearch(double fTargetLufs, double fLowestDb, double fHighestDb, double fStepDb, int nMostTrials)
    : mfTarget(fTargetLufs)
    , mfLowest(fLowestDb)
    , mfHighest(fHighestDb)
    , mfStep(fStepDb)
    , mnMostTrials(nMostTrials)
{ }

double CTargetSearch::GetSlope() const
{
    const STrial* pBest = Best();
    const STrial* pOther = nullptr;
    if (pBest == nullptr)
        return mfFirstSlope;
    for (const STrial& trial : mTrials) {
        if (std::isfinite(trial.fLoudnessLufs) && trial.fOffsetDb != pBest->fOffsetDb
            && (pOther == nullptr
                || std::fabs(trial.fOffsetDb - pBest->fOffsetDb) < std::fabs(pOther->fOffsetDb - pBest->fOffsetDb)))
            pOther = &trial;
    }
    if (pOther == nullptr)
        return mfFirstSlope;
    return std::clamp((pBest->fLoudnessLufs - pOther->fLoudnessLufs) / (pBest->fOffsetDb - pOther->fOffsetDb),
        kFlattestSlope, kSteepestSlope);
}

void CTargetSearch::Add(double fOffsetDb, double fLoudnessLufs)
{
    if (std::isnan(fLoudnessLufs) || fLoudnessLufs == HUGE_VAL)
        mbBroken = true;
    mTrials.push_back({ fOffsetDb, fLoudnessLufs });
}

double CTargetSearch::Quantise(double fOffsetDb) const
{
    const double fClamped = std::clamp(fOffsetDb, mfLowest, mfHighest);
    return std::round(fClamped / mfStep) * mfStep;
}

const CTargetSearch::STrial* CTargetSearch::Best() const
{
    const STrial* pBest = nullptr;
    for (const STrial& trial : mTrials) {
        if (!std::isfinite(trial.fLoudnessLufs))
            continue;
        if (pBest == nullptr || std::fabs(trial.fLoudnessLufs - mfTarget) < std::fabs(pBest->fLoudnessLufs - mfTarget))
            pBest = &trial;
    }
    return pBest;
}

double CTargetSearch::GetBestOffsetDb() const
{
    const STrial* pBest = Best();
    return pBest != nullptr ? pBest->fOffsetDb : (mTrials.empty() ? 0.0 : mTrials.front().fOffsetDb);
}

double CTargetSearch::GetBestLoudnessLufs() const
{
    const STrial* pBest = Best();
    return pBest != nullptr ? pBest->fLoudnessLufs : (mTrials.empty() ? -HUGE_VAL : mTrials.front().fLoudnessLufs);
}

bool CTargetSearch::IsReached() const
{
    const STrial* pBest = Best();
    return pBest != nullptr && std::fabs(pBest->fLoudnessLufs - mfTarget) <= kToleranceLu;
}

bool CTargetSearch::Next(double& fOffsetDb) const
{
    if (mTrials.empty()) {
        fOffsetDb = 0.0;
        return true;
    }
    const STrial* pBest = Best();
    if (mbBroken || pBest == nullptr || static_cast<int>(mTrials.size()) >= mnMostTrials
        || std::fabs(pBest->fLoudnessLufs - mfTarget) <= mfAim)
        return false;

    // The nearest trials under and over the target.
    const STrial* pUnder = nullptr;
    const STrial* pOver = nullptr;
    for (const STrial& trial : mTrials) {
        if (!std::isfinite(trial.fLoudnessLufs))
            continue;
        if (trial.fLoudnessLufs < mfTarget && (pUnder == nullptr || trial.fOffsetDb > pUnder->fOffsetDb))
            pUnder = &trial;
        if (trial.fLoudnessLufs >= mfTarget && (pOver == nullptr || trial.fOffsetDb < pOver->fOffsetDb))
            pOver = &trial;
    }
    double fNext;
    if (pUnder != nullptr && pOver != nullptr && pOver->fOffsetDb > pUnder->fOffsetDb) {
        if (pOver->fOffsetDb - pUnder->fOffsetDb <= mfStep * 1.5)
            return false; // bracketed to one step: the nearer one stands
        const double fSlope = (pOver->fLoudnessLufs - pUnder->fLoudnessLufs) / (pOver->fOffsetDb - pUnder->fOffsetDb);
        fNext = fSlope > 0.0 ? pUnder->fOffsetDb + (mfTarget - pUnder->fLoudnessLufs) / fSlope
                             : 0.5 * (pUnder->fOffsetDb + pOver->fOffsetDb);
        fNext = std::clamp(Quantise(fNext), pUnder->fOffsetDb + mfStep, pOver->fOffsetDb - mfStep);
    } else {
        // One side only: extrapolate from the trial nearest the target.
        const STrial* pFrom = pUnder != nullptr ? pUnder : pOver;
        if (pFrom == nullptr)
            return false; // no trial with a finite loudness
        double fSlope = mfFirstSlope;
        const STrial* pOther = nullptr;
        for (const STrial& trial : mTrials) {
            if (&trial != pFrom && std::isfinite(trial.fLoudnessLufs) && trial.fOffsetDb != pFrom->fOffsetDb
                && (pOther == nullptr
                    || std::fabs(trial.fOffsetDb - pFrom->fOffsetDb) < std::fabs(pOther->fOffsetDb - pFrom->fOffsetDb)))
                pOther = &trial;
        }
        if (pOther != nullptr)
            fSlope = std::clamp((pFrom->fLoudnessLufs - pOther->fLoudnessLufs) / (pFrom->fOffsetDb - pOther->fOffsetDb),
                kFlattestSlope, kSteepestSlope);
        fNext = Quantise(pFrom->fOffsetDb + (mfTarget - pFrom->fLoudnessLufs) / fSlope);
    }
    for (const STrial& trial : mTrials) {
        if (std::fabs(trial.fOffsetDb - fNext) < 0.5 * mfStep)
            return false; // at the end of the range, or nothing new to learn
    }
    fOffsetDb = fNext;
    return true;
}
