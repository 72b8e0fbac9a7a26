#include "Lv2Ports.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned TypeBit(unsigned nType)
{
    return 1u << nType;
}

double PowerOfTen(int nDecimals)
{
    return std::pow(10.0, nDecimals);
}

} // namespace

// URIs and symbols are what sessions and presets store: never change them.
const SLv2PlugIn kLv2PlugIns[kNrOfLv2PlugIns] = {
    { 4, "urn:vantor:lv2:chain", "Vantor Mastering Chain", "chain.ttl", "DynamicsPlugin", "chain" },
    { 0, "urn:vantor:lv2:eq", "Vantor Equaliser", "eq.ttl", "EQPlugin", "eq" },
    { 1, "urn:vantor:lv2:compressor", "Vantor Compressor", "compressor.ttl", "CompressorPlugin", "compressor" },
    { 2, "urn:vantor:lv2:limiter", "Vantor Limiter", "limiter.ttl", "LimiterPlugin", "limiter" },
    { 3, "urn:vantor:lv2:clipper", "Vantor Clipper", "clipper.ttl", "DynamicsPlugin", "clipper" },
};

const SLv2Meter kLv2Meters[kNrOfLv2Meters] = {
    { "compressor_needle", "Compressor Needle", 0, ELv2MeterShape::Needle, TypeBit(1) | TypeBit(4), 0.0f, 1.0f },
    { "compressor_gain_reduction", "Compressor Gain Reduction", 0, ELv2MeterShape::ReductionDb, TypeBit(1) | TypeBit(4),
        0.0f, 40.0f },
    // The limiter's needle follows its mean band gain, which the band gains
    // can lift above 1.
    { "limiter_needle", "Limiter Needle", 1, ELv2MeterShape::Needle, TypeBit(2) | TypeBit(4), 0.0f, 8.0f },
    { "limiter_gain_reduction", "Limiter Gain Reduction", 1, ELv2MeterShape::ReductionDb, TypeBit(2) | TypeBit(4),
        -18.0f, 40.0f },
    { "clip", "Clip", 2, ELv2MeterShape::Light, TypeBit(3) | TypeBit(4), 0.0f, 1.0f },
    { "over_left", "Over Left", 3, ELv2MeterShape::Light, TypeBit(3) | TypeBit(4), 0.0f, 1.0f },
    { "over_right", "Over Right", 4, ELv2MeterShape::Light, TypeBit(3) | TypeBit(4), 0.0f, 1.0f },
    // The output meter of every process: held peaks and short-term loudness.
    { "output_peak_left", "Output Peak Left", 7, ELv2MeterShape::PeakDb, 0x1F, -70.0f, 6.0f },
    { "output_peak_right", "Output Peak Right", 8, ELv2MeterShape::PeakDb, 0x1F, -70.0f, 6.0f },
    { "output_loudness", "Output Short-Term Loudness", 9, ELv2MeterShape::Lufs, 0x1F, -70.0f, 6.0f },
};

const float kLv2RestingReadings[kNrOfLv2MeterReadings]
    = { 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -70.0f };

const SLv2PlugIn* FindLv2PlugIn(const char* pszUri)
{
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        if (pszUri != nullptr && std::strcmp(plugIn.pszUri, pszUri) == 0)
            return &plugIn;
    }
    return nullptr;
}

const SLv2PlugIn* FindLv2PlugInOfType(unsigned nProcessType)
{
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        if (plugIn.nProcessType == nProcessType)
            return &plugIn;
    }
    return nullptr;
}

float Lv2MeterValue(const SLv2Meter& meter, float fReading)
{
    if (!std::isfinite(fReading))
        return meter.eShape == ELv2MeterShape::Light ? 0.0f : meter.fMin;
    switch (meter.eShape) {
    case ELv2MeterShape::Needle: return std::min(std::max(fReading, meter.fMin), meter.fMax);
    case ELv2MeterShape::ReductionDb: {
        // A needle at 0 would be an infinite reduction: the top of the scale.
        const double fDb = fReading > 0.0f ? -20.0 * std::log10(static_cast<double>(fReading)) : meter.fMax;
        return std::min(std::max(static_cast<float>(fDb), meter.fMin), meter.fMax);
    }
    case ELv2MeterShape::Light: return fReading != 0.0f ? 1.0f : 0.0f;
    case ELv2MeterShape::PeakDb: {
        const float fDb = fReading > 0.0f ? 20.0f * std::log10(fReading) : meter.fMin;
        return std::min(std::max(fDb, meter.fMin), meter.fMax);
    }
    case ELv2MeterShape::Lufs: return std::min(std::max(fReading, meter.fMin), meter.fMax);
    }
    return 0.0f;
}

std::string Lv2PortSymbol(const std::string& sFullName)
{
    std::string sSymbol;
    bool bGap = false;
    for (const char c : sFullName) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            if (bGap && !sSymbol.empty())
                sSymbol += '_';
            sSymbol += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            bGap = false;
        } else {
            bGap = true;
        }
    }
    // A symbol may not start with a digit.
    if (!sSymbol.empty() && std::isdigit(static_cast<unsigned char>(sSymbol[0])))
        sSymbol.insert(0, "p_");
    return sSymbol;
}

std::vector<SLv2Port> BuildLv2Ports(unsigned nProcessType, const CParameterText& parameters)
{
    std::vector<SLv2Port> ports = {
        { ELv2PortKind::AudioIn, "in_l", "Left In" },
        { ELv2PortKind::AudioIn, "in_r", "Right In" },
        { ELv2PortKind::AudioOut, "out_l", "Left Out" },
        { ELv2PortKind::AudioOut, "out_r", "Right Out" },
        { ELv2PortKind::Enabled, "enabled", "Enabled", 0 },
    };
    // Parameter 0 ("Global Bypass") is the enabled port. The control inputs
    // come first and in table order, so a host that takes control values as a
    // list in port order lines them up with the parameters.
    for (size_t i = 1; i < parameters.GetCount(); ++i) {
        const SParameterText& parameter = parameters.Get(static_cast<int>(i));
        if (!parameter.bActive || parameter.names.empty())
            continue;
        ports.push_back({ ELv2PortKind::Parameter, Lv2PortSymbol(parameter.names.front()), parameter.names.front(),
            static_cast<int>(i) });
    }
    ports.push_back({ ELv2PortKind::Latency, "latency", "Latency" });
    for (int nMeter = 0; nMeter < kNrOfLv2Meters; ++nMeter) {
        const SLv2Meter& meter = kLv2Meters[nMeter];
        if (nProcessType < 32 && (meter.nTypeMask & TypeBit(nProcessType)) != 0)
            ports.push_back({ ELv2PortKind::Meter, meter.pszSymbol, meter.pszName, -1, nMeter });
    }
    return ports;
}

ELv2ValueShape Lv2ValueShape(const SParameterText& parameter)
{
    if (parameter.nType == 1) {
        const bool bOffOn = parameter.nMin == 0 && parameter.nMax == 1 && parameter.valueTexts.size() == 2
            && parameter.valueTexts[0] == "Off" && parameter.valueTexts[1] == "On";
        return bOffOn ? ELv2ValueShape::Toggle : ELv2ValueShape::Enumeration;
    }
    if (parameter.nDecimals == 0 && parameter.unit.empty())
        return ELv2ValueShape::Integer;
    return ELv2ValueShape::Continuous;
}

int Lv2PortToStored(const SParameterText& parameter, float fValue, int nPrevious)
{
    if (std::isnan(fValue))
        return nPrevious;
    if (Lv2ValueShape(parameter) == ELv2ValueShape::Toggle)
        return fValue > 0.0f ? parameter.nMax : parameter.nMin;
    const double fStored = std::round(static_cast<double>(fValue) * PowerOfTen(parameter.nDecimals));
    if (fStored <= parameter.nMin)
        return parameter.nMin;
    if (fStored >= parameter.nMax)
        return parameter.nMax;
    return static_cast<int>(fStored);
}

float Lv2StoredToPort(const SParameterText& parameter, int nStored)
{
    return static_cast<float>(nStored / PowerOfTen(parameter.nDecimals));
}

std::string Lv2StoredToText(const SParameterText& parameter, int nStored)
{
    char buffer[64];
    const int nDecimals = std::max(parameter.nDecimals, 0);
    // Continuous values always carry a point, so Turtle reads them as decimals.
    const bool bWhole = Lv2ValueShape(parameter) != ELv2ValueShape::Continuous;
    std::snprintf(
        buffer, sizeof(buffer), "%.*f", bWhole ? 0 : std::max(nDecimals, 1), nStored / PowerOfTen(parameter.nDecimals));
    return buffer;
}

std::string FindLv2Library(const char* pszBundlePath, const char* pszInstalled)
{
    std::string sLink = pszBundlePath != nullptr ? pszBundlePath : "";
    if (!sLink.empty() && sLink.back() != '/')
        sLink += '/';
    const std::string sReal = platform::ResolvePath(sLink + "Vantor.vpa");
    return sReal.empty() ? std::string(pszInstalled) : sReal;
}
