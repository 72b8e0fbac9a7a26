// The search for the drive that puts a file's integrated loudness at a
// target. Each trial runs the whole file through the chain, so the search
// asks for as few as it can: it extrapolates from the loudest trial under
// the target and the quietest over it (a slope measured between trials, at
// first the 1 LU per dB of an unlimited signal), interpolates once the
// target is bracketed, and stops within kAimLu, at the end of the drive's
// range, when the next step would repeat a trial, or after kMostTrials.
// Loudness is non-decreasing in the drive, but nothing relies on it: a
// non-finite reading ends the search with the best finite trial.
#pragma once

#include <vector>

class CTargetSearch {
public:
    static constexpr double kAimLu = 0.1; // unless SetAim() says otherwise
    static constexpr double kToleranceLu = 0.3;
    static constexpr int kMostTrials = 8;

    // Offsets from fLowestDb to fHighestDb in steps of fStepDb (0 included).
    CTargetSearch(
        double fTargetLufs, double fLowestDb, double fHighestDb, double fStepDb, int nMostTrials = kMostTrials);
    // The slope (LU per dB) to extrapolate with while one trial is all
    // there is, as measured elsewhere (on excerpts).
    void SetFirstSlope(double fSlope) { mfFirstSlope = fSlope; }
    // Stops within this many LU of the target.
    void SetAim(double fAimLu) { mfAim = fAimLu; }
    // The slope between the two trials nearest the best one, 1 when unknown.
    double GetSlope() const;

    // A trial: the drive offset and the output's integrated loudness (may
    // be -inf for silence, or NaN).
    void Add(double fOffsetDb, double fLoudnessLufs);
    // The next offset to try; false when the search is over.
    bool Next(double& fOffsetDb) const;

    // The trial nearest the target (the first trial before any finite one).
    double GetBestOffsetDb() const;
    double GetBestLoudnessLufs() const;
    bool IsReached() const;
    int GetTrials() const { return static_cast<int>(mTrials.size()); }

private:
    struct STrial {
        double fOffsetDb;
        double fLoudnessLufs;
    };
    const STrial* Best() const;
    double Quantise(double fOffsetDb) const;

    double mfTarget;
    double mfLowest, mfHighest, mfStep;
    int mnMostTrials;
    double mfFirstSlope = 1.0;
    double mfAim = kAimLu;
    std::vector<STrial> mTrials;
    bool mbBroken = false; // a reading was NaN or +inf
};
