#include "Lv2Turtle.h"

#include "processor/ChainOrder.h"
#include "processor/ParameterTable.h"
#include "tools/presetgen/PresetSource.h"

#include <cctype>
#include <sstream>

namespace {

// A Turtle string literal.
std::string Quoted(const std::string& s)
{
    std::string sQuoted = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\')
            sQuoted += '\\';
        sQuoted += c;
    }
    return sQuoted + "\"";
}

const char* UnitUri(const std::string& sUnit)
{
    if (sUnit == "dB")
        return "units:db";
    if (sUnit == "Hz")
        return "units:hz";
    if (sUnit == "Ms")
        return "units:ms";
    return nullptr;
}

// "Mastering/Broadcast Safe.preset" -> "mastering-broadcast-safe".
std::string Slug(const std::string& sRelative)
{
    std::string sName = sRelative;
    const size_t nDot = sName.rfind('.');
    if (nDot != std::string::npos)
        sName.erase(nDot);
    std::string sSlug;
    bool bGap = false;
    for (const char c : sName) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            if (bGap && !sSlug.empty())
                sSlug += '-';
            sSlug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            bGap = false;
        } else {
            bGap = true;
        }
    }
    return sSlug;
}

const char* kModuleShortNames[4] = { "EQ", "Comp", "Limit", "Clip" };

std::string ChainOrderLabel(int nRow)
{
    std::string sLabel;
    for (int nPosition = 0; nPosition < 4; ++nPosition)
        sLabel += std::string(nPosition > 0 ? " > " : "") + kModuleShortNames[kChainOrders[nRow][nPosition]];
    return sLabel;
}

void WriteScalePoint(std::ostringstream& out, const std::string& sLabel, const std::string& sValue, bool bLast)
{
    out << "\t\t\t[ rdfs:label " << Quoted(sLabel) << " ; rdf:value " << sValue << " ]" << (bLast ? " ;\n" : " ,\n");
}

void WriteParameterPort(std::ostringstream& out, const SLv2Port& port, const SParameterText& parameter)
{
    const ELv2ValueShape eShape = Lv2ValueShape(parameter);
    out << "\t\ta lv2:InputPort , lv2:ControlPort ;\n";
    out << "\t\tlv2:symbol " << Quoted(port.sSymbol) << " ;\n";
    out << "\t\tlv2:name " << Quoted(port.sName) << " ;\n";
    // lv2:shortName holds at most 16 characters.
    if (parameter.names.size() > 1 && parameter.names[1].size() <= 16)
        out << "\t\tlv2:shortName " << Quoted(parameter.names[1]) << " ;\n";
    out << "\t\tlv2:default " << Lv2StoredToText(parameter, parameter.nDefault) << " ;\n";
    out << "\t\tlv2:minimum " << Lv2StoredToText(parameter, parameter.nMin) << " ;\n";
    out << "\t\tlv2:maximum " << Lv2StoredToText(parameter, parameter.nMax) << " ;\n";
    if (const char* pszUnit = UnitUri(parameter.unit))
        out << "\t\tunits:unit " << pszUnit << " ;\n";
    switch (eShape) {
    case ELv2ValueShape::Toggle: out << "\t\tlv2:portProperty lv2:toggled ;\n"; break;
    case ELv2ValueShape::Enumeration: {
        out << "\t\tlv2:portProperty lv2:integer , lv2:enumeration ;\n\t\tlv2:scalePoint\n";
        for (size_t i = 0; i < parameter.valueTexts.size(); ++i)
            WriteScalePoint(out, parameter.valueTexts[i], std::to_string(parameter.nMin + static_cast<int>(i)),
                i + 1 == parameter.valueTexts.size());
        break;
    }
    case ELv2ValueShape::Integer: {
        out << "\t\tlv2:portProperty lv2:integer";
        if (port.nParameter == kPatch) {
            // The chain orders by name rather than by row number.
            out << " , lv2:enumeration ;\n\t\tlv2:scalePoint\n";
            for (int nRow = 0; nRow < kNrOfChainOrders; ++nRow)
                WriteScalePoint(out, ChainOrderLabel(nRow), std::to_string(nRow), nRow + 1 == kNrOfChainOrders);
        } else {
            out << " ;\n";
        }
        break;
    }
    case ELv2ValueShape::Continuous: {
        std::vector<std::pair<std::string, std::string>> points;
        if (!parameter.minText.empty())
            points.emplace_back(parameter.minText, Lv2StoredToText(parameter, parameter.nMin));
        if (!parameter.maxText.empty())
            points.emplace_back(parameter.maxText, Lv2StoredToText(parameter, parameter.nMax));
        if (!points.empty()) {
            out << "\t\tlv2:scalePoint\n";
            for (size_t i = 0; i < points.size(); ++i)
                WriteScalePoint(out, points[i].first, points[i].second, i + 1 == points.size());
        }
        break;
    }
    }
    if (eShape == ELv2ValueShape::Continuous && parameter.nType == 0) {
        const SParameterDescriptor& descriptor = kVantorParameters[port.nParameter];
        if (descriptor.nCurve == 1)
            out << "\t\tlv2:portProperty pprops:logarithmic ;\n";
    }
}

void WritePort(std::ostringstream& out, const SLv2Port& port, uint32_t nIndex, const CParameterText& parameters)
{
    out << "\t[\n";
    switch (port.eKind) {
    case ELv2PortKind::AudioIn:
    case ELv2PortKind::AudioOut:
        out << "\t\ta " << (port.eKind == ELv2PortKind::AudioIn ? "lv2:InputPort" : "lv2:OutputPort")
            << " , lv2:AudioPort ;\n";
        out << "\t\tlv2:symbol " << Quoted(port.sSymbol) << " ;\n";
        out << "\t\tlv2:name " << Quoted(port.sName) << " ;\n";
        break;
    case ELv2PortKind::Latency:
        out << "\t\ta lv2:OutputPort , lv2:ControlPort ;\n";
        out << "\t\tlv2:symbol \"latency\" ;\n\t\tlv2:name \"Latency\" ;\n";
        out << "\t\tlv2:designation lv2:latency ;\n";
        out << "\t\tlv2:portProperty lv2:reportsLatency , lv2:integer ;\n";
        out << "\t\tlv2:minimum 0 ;\n\t\tlv2:maximum " << static_cast<int>(kLv2LatencyFrames) << " ;\n";
        out << "\t\tunits:unit units:frame ;\n";
        break;
    case ELv2PortKind::Enabled:
        out << "\t\ta lv2:InputPort , lv2:ControlPort ;\n";
        out << "\t\tlv2:symbol \"enabled\" ;\n\t\tlv2:name \"Enabled\" ;\n";
        out << "\t\tlv2:designation lv2:enabled ;\n";
        out << "\t\tlv2:portProperty lv2:toggled ;\n";
        out << "\t\tlv2:default 1 ;\n\t\tlv2:minimum 0 ;\n\t\tlv2:maximum 1 ;\n";
        break;
    case ELv2PortKind::Parameter: WriteParameterPort(out, port, parameters.Get(port.nParameter)); break;
    case ELv2PortKind::Meter: {
        const SLv2Meter& meter = kLv2Meters[port.nMeter];
        out << "\t\ta lv2:OutputPort , lv2:ControlPort ;\n";
        out << "\t\tlv2:symbol " << Quoted(port.sSymbol) << " ;\n";
        out << "\t\tlv2:name " << Quoted(port.sName) << " ;\n";
        out << "\t\tlv2:minimum " << meter.fMin << " ;\n\t\tlv2:maximum " << meter.fMax << " ;\n";
        if (meter.eShape == ELv2MeterShape::ReductionDb || meter.eShape == ELv2MeterShape::PeakDb)
            out << "\t\tunits:unit units:db ;\n";
        if (meter.eShape == ELv2MeterShape::Light)
            out << "\t\tlv2:portProperty lv2:toggled ;\n";
        break;
    }
    }
    out << "\t\tlv2:index " << nIndex << "\n\t]";
}

const char* kPrefixes = "@prefix doap:   <http://usefulinc.com/ns/doap#> .\n"
                        "@prefix foaf:   <http://xmlns.com/foaf/0.1/> .\n"
                        "@prefix lv2:    <http://lv2plug.in/ns/lv2core#> .\n"
                        "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                        "@prefix pset:   <http://lv2plug.in/ns/ext/presets#> .\n"
                        "@prefix rdf:    <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                        "@prefix rdfs:   <http://www.w3.org/2000/01/rdf-schema#> .\n"
                        "@prefix units:  <http://lv2plug.in/ns/extensions/units#> .\n\n";

const char* kGenerated = "# Generated at build time from the parameter table and the factory presets; do not edit.\n";

} // namespace

CParameterText TableParameters(unsigned nProcessType)
{
    std::vector<SParameterText> texts;
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        const SParameterDescriptor& d = kVantorParameters[i];
        texts.push_back(MakeParameterText(d.pszName, d.pszUnit, d.nType, d.nMin, d.nMax, d.nDefault, d.nDecimals,
            d.pszMinText, d.pszMaxText, d.pszValueTexts, IsParameterActive(i, nProcessType)));
    }
    CParameterText parameters;
    parameters.Load(texts);
    return parameters;
}

bool ReadLv2Presets(const std::string& sFactoryFolder, const std::string& sRelative, std::vector<SLv2Preset>& presets,
    std::string& sError)
{
    const std::string sPath = sFactoryFolder + "/" + sRelative;
    SPresetSource source;
    if (!ReadPresetSource(sPath, source, sError))
        return false;
    SLv2Preset preset;
    preset.pPlugIn = FindLv2PlugInOfType(source.nMode);
    if (preset.pPlugIn == nullptr) {
        sError = sPath + ": no plug-in takes this mode";
        return false;
    }
    const CParameterText parameters = TableParameters(source.nMode);
    std::vector<int> stored(parameters.GetCount());
    for (size_t i = 0; i < stored.size(); ++i)
        stored[i] = parameters.Get(static_cast<int>(i)).nDefault;
    for (const SPresetSource::SAssignment& assignment : source.assignments) {
        int nIndex = -1, nStored = 0;
        std::string sWarning, sWhy;
        const std::string sWhere = sPath + ":" + std::to_string(assignment.nLine) + ": ";
        if (!parameters.ParseAssignment(assignment.sText, nIndex, nStored, sWarning, sWhy) || !sWarning.empty()) {
            sError = sWhere + (sWhy.empty() ? sWarning : sWhy);
            return false;
        }
        if (!parameters.Get(nIndex).bActive) {
            sError = sWhere + parameters.Get(nIndex).names.front() + " is not part of this mode";
            return false;
        }
        stored[static_cast<size_t>(nIndex)] = nStored;
    }
    // Every parameter port of the plug-in; "enabled" (the global bypass) is
    // the host's and no preset touches it.
    for (const SLv2Port& port : BuildLv2Ports(source.nMode, parameters)) {
        if (port.eKind == ELv2PortKind::Parameter)
            preset.values.emplace_back(port.sSymbol,
                Lv2StoredToText(parameters.Get(port.nParameter), stored[static_cast<size_t>(port.nParameter)]));
    }
    std::string sName = sRelative;
    const size_t nDot = sName.rfind('.');
    if (nDot != std::string::npos)
        sName.erase(nDot);
    const size_t nSlash = sName.rfind('/');
    preset.sLabel = nSlash == std::string::npos ? sName : sName.substr(0, nSlash) + ": " + sName.substr(nSlash + 1);
    preset.sUri = "urn:vantor:lv2:preset:" + Slug(sRelative);
    preset.sComment = source.sDescription;
    presets.push_back(preset);

    // A module's preset is one of the chain's too, setting that module's ports only.
    constexpr unsigned kChainType = 4;
    const SLv2PlugIn* pChain = FindLv2PlugInOfType(kChainType);
    if (source.nMode != kChainType && pChain != nullptr) {
        SLv2Preset chain = preset;
        chain.pPlugIn = pChain;
        chain.sUri = "urn:vantor:lv2:preset:chain-" + Slug(sRelative);
        chain.values.clear();
        const CParameterText chainParameters = TableParameters(kChainType);
        for (const SLv2Port& port : BuildLv2Ports(kChainType, chainParameters)) {
            if (port.eKind == ELv2PortKind::Parameter && parameters.Get(port.nParameter).bActive)
                chain.values.emplace_back(port.sSymbol,
                    Lv2StoredToText(
                        chainParameters.Get(port.nParameter), stored[static_cast<size_t>(port.nParameter)]));
        }
        presets.push_back(chain);
    }
    return true;
}

std::string ManifestTurtle(const std::string& sBinary, const std::vector<SLv2Preset>& presets)
{
    std::ostringstream out;
    out << kGenerated << kPrefixes << "@prefix ui:     <http://lv2plug.in/ns/extensions/ui#> .\n\n";
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        out << "<" << plugIn.pszUri << ">\n\ta lv2:Plugin ;\n\tlv2:binary <" << sBinary << "> ;\n\tui:ui <" << kLv2UiUri
            << "> ;\n\trdfs:seeAlso <" << plugIn.pszTurtle << "> .\n\n";
    }
    // One editor serves every plug-in; it is told the meter ports of each.
    out << "<" << kLv2UiUri << ">\n\ta ui:X11UI ;\n\tui:binary <" << kLv2UiBinary
        << "> ;\n\tlv2:requiredFeature ui:parent ;\n\tlv2:optionalFeature ui:resize , ui:idleInterface ;\n"
        << "\tlv2:extensionData ui:idleInterface";
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        for (const SLv2Port& port : BuildLv2Ports(plugIn.nProcessType, TableParameters(plugIn.nProcessType))) {
            if (port.eKind == ELv2PortKind::Meter)
                out << " ;\n\tui:portNotification [\n\t\tui:plugin <" << plugIn.pszUri << "> ;\n\t\tlv2:symbol "
                    << Quoted(port.sSymbol) << " ;\n\t\tui:protocol ui:floatProtocol\n\t]";
        }
    }
    out << " .\n\n";
    for (const SLv2Preset& preset : presets) {
        out << "<" << preset.sUri << ">\n\ta pset:Preset ;\n\tlv2:appliesTo <" << preset.pPlugIn->pszUri
            << "> ;\n\trdfs:label " << Quoted(preset.sLabel) << " ;\n\trdfs:seeAlso <" << kLv2PresetsFile << "> .\n\n";
    }
    return out.str();
}

std::string PlugInTurtle(const SLv2PlugIn& plugIn, SLv2Version version)
{
    const CParameterText parameters = TableParameters(plugIn.nProcessType);
    const std::vector<SLv2Port> ports = BuildLv2Ports(plugIn.nProcessType, parameters);
    std::ostringstream out;
    out << kGenerated << kPrefixes;
    out << "<" << plugIn.pszUri << ">\n";
    out << "\ta lv2:Plugin , lv2:" << plugIn.pszClass << " , doap:Project ;\n";
    out << "\tdoap:name " << Quoted(plugIn.pszName) << " ;\n";
    // Hosts show the maintainer's name as the plug-in's maker (lilv reads
    // the author from doap:maintainer).
    out << "\tdoap:maintainer [ a foaf:Person ; foaf:name " << Quoted(kLv2Maker) << " ] ;\n";
    // No licence is granted with Vantor: all rights reserved.
    out << "\tdoap:license <http://usefulinc.com/doap/licenses/proprietary> ;\n";
    out << "\tlv2:minorVersion " << version.nMinor << " ;\n\tlv2:microVersion " << version.nMicro << " ;\n";
    out << "\tlv2:optionalFeature lv2:hardRTCapable ;\n";
    out << "\tlv2:port\n";
    for (uint32_t nIndex = 0; nIndex < ports.size(); ++nIndex) {
        WritePort(out, ports[nIndex], nIndex, parameters);
        out << (nIndex + 1 < ports.size() ? " ,\n" : " .\n");
    }
    return out.str();
}

std::string PresetsTurtle(const std::vector<SLv2Preset>& presets)
{
    std::ostringstream out;
    out << kGenerated << kPrefixes;
    for (const SLv2Preset& preset : presets) {
        out << "<" << preset.sUri << ">\n\ta pset:Preset ;\n\tlv2:appliesTo <" << preset.pPlugIn->pszUri << "> ;\n";
        out << "\trdfs:label " << Quoted(preset.sLabel) << " ;\n";
        if (!preset.sComment.empty())
            out << "\trdfs:comment " << Quoted(preset.sComment) << " ;\n";
        out << "\tlv2:port\n";
        for (size_t i = 0; i < preset.values.size(); ++i) {
            out << "\t\t[ lv2:symbol " << Quoted(preset.values[i].first) << " ; pset:value " << preset.values[i].second
                << " ]" << (i + 1 < preset.values.size() ? " ,\n" : " .\n\n");
        }
    }
    return out.str();
}
