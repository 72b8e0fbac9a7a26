#include "SC1HostInterface.h"

#include <cmath>

SC1HostInterface::SC1HostInterface()
    : mpKernel(new SC1HostDSP)
{
    dsp = mpKernel;
    Reset();
}

void SC1HostInterface::Reset()
{
    mpKernel->ClearHistory();
}

bool SC1HostInterface::SetTimingNetwork(const SPrototype1& lowPass, const SPrototype1& branchA,
    const SPrototype1& branchB, double fReleaseA, double fReleaseB)
{
    SFirstOrderCoefficients low, a, b;
    if (!dsp::Bilinear(lowPass, &low) || !dsp::Bilinear(branchA, &a) || !dsp::Bilinear(branchB, &b))
        return false;
    if (!std::isfinite(fReleaseA) || !std::isfinite(fReleaseB))
        return false;
    for (SC1Detector& d : mpKernel->mDetectors) {
        d.B0 = low.B0;
        d.B1 = low.B1;
        d.A1 = low.A1;
        d.branchA.B0 = a.B0;
        d.branchA.B1 = a.B1;
        d.branchA.A1 = a.A1;
        d.branchB.B0 = b.B0;
        d.branchB.B1 = b.B1;
        d.branchB.A1 = b.A1;
        d.releaseA = fReleaseA;
        d.releaseB = fReleaseB;
    }
    return true;
}

void SC1HostInterface::SetDrives(double fMidDrive, double fSideDrive, float fSideLevel)
{
    mpKernel->mDetectors[0].drive = fMidDrive;
    mpKernel->mDetectors[1].drive = fSideDrive;
    mpKernel->mfSideLevel = fSideLevel;
}

void SC1HostInterface::SetK(double fK)
{
    for (SC1Detector& d : mpKernel->mDetectors)
        d.k = fK;
}

bool SC1HostInterface::SetSideChain(const SPrototype1& highPass)
{
    SFirstOrderCoefficients c;
    if (!dsp::Bilinear(highPass, &c))
        return false;
    for (SC1Detector& d : mpKernel->mDetectors) {
        d.sideChain.B0 = c.B0;
        d.sideChain.B1 = c.B1;
        d.sideChain.A1 = c.A1;
    }
    return true;
}

void SC1HostInterface::SetOutputGain(float fGain)
{
    mpKernel->mfOutputGain = fGain;
}
