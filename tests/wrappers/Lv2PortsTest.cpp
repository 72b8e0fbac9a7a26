// The ports of the five plug-ins against the parameter table and the
// process: the Turtle that lilv reads, the port list the binary builds from
// the loaded process, and the value conversions (reliability row 7).
#include "Lv2TestHost.h"

#include "hosting/VpaHost.h"
#include "host-interface/vpaProcess.h"
#include "processor/ParameterTable.h"
#include "wrappers/lv2/Lv2Ports.h"
#include "wrappers/lv2/Lv2Turtle.h"

#include <gtest/gtest.h>
#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/units/units.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

// The process of a type as a host loads it, with its descriptors.
struct SLoadedProcess {
    explicit SLoadedProcess(unsigned nType)
    {
        EXPECT_TRUE(library.Load(CVpaLibrary::DefaultPath())) << library.GetError();
        pPlugIn = library.CreatePlugIn(&host, nullptr);
        if (pPlugIn != nullptr)
            pProcess = pPlugIn->CreateProcess(nType);
        if (pProcess != nullptr)
            parameters.Load(*pProcess);
    }
    ~SLoadedProcess()
    {
        if (pProcess != nullptr)
            pProcess->DestroySelf();
        if (pPlugIn != nullptr)
            pPlugIn->DestroySelf();
    }
    CVpaLibrary library;
    CVpaHost host;
    vpa::IPlugIn* pPlugIn = nullptr;
    vpa::IProcess* pProcess = nullptr;
    CParameterText parameters;
};

bool HasProperty(const LilvPlugin* pPlugIn, const LilvPort* pPort, const char* pszUri)
{
    LilvNode* pProperty = lilv_new_uri(CLv2World::Get().World(), pszUri);
    const bool bHas = lilv_port_has_property(pPlugIn, pPort, pProperty);
    lilv_node_free(pProperty);
    return bHas;
}

std::string UnitOf(const LilvPlugin* pPlugIn, const LilvPort* pPort)
{
    LilvNode* pUnitPredicate = lilv_new_uri(CLv2World::Get().World(), LV2_UNITS__unit);
    LilvNodes* pUnits = lilv_port_get_value(pPlugIn, pPort, pUnitPredicate);
    std::string sUnit;
    if (pUnits != nullptr && lilv_nodes_size(pUnits) > 0)
        sUnit = lilv_node_as_uri(lilv_nodes_get_first(pUnits));
    lilv_nodes_free(pUnits);
    lilv_node_free(pUnitPredicate);
    return sUnit;
}

TEST(Lv2Ports, TheBinaryBuildsFromTheLoadedProcessTheSamePortsAsTheTurtleFromTheTable)
{
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        SLoadedProcess loaded(plugIn.nProcessType);
        ASSERT_NE(loaded.pProcess, nullptr) << plugIn.pszUri;
        const std::vector<SLv2Port> fromProcess = BuildLv2Ports(plugIn.nProcessType, loaded.parameters);
        const std::vector<SLv2Port> fromTable
            = BuildLv2Ports(plugIn.nProcessType, TableParameters(plugIn.nProcessType));
        ASSERT_EQ(fromProcess.size(), fromTable.size()) << plugIn.pszUri;

        const LilvPlugin* pPlugIn = CLv2World::Get().PlugIn(plugIn.pszUri);
        ASSERT_NE(pPlugIn, nullptr) << plugIn.pszUri;
        ASSERT_EQ(lilv_plugin_get_num_ports(pPlugIn), fromProcess.size()) << plugIn.pszUri;
        // Plug-in browsers show the maker's name as the author.
        LilvNode* pAuthor = lilv_plugin_get_author_name(pPlugIn);
        EXPECT_STREQ(pAuthor != nullptr ? lilv_node_as_string(pAuthor) : "", kLv2Maker) << plugIn.pszUri;
        lilv_node_free(pAuthor);
        std::vector<float> mins(fromProcess.size()), maxs(fromProcess.size()), defaults(fromProcess.size());
        lilv_plugin_get_port_ranges_float(pPlugIn, mins.data(), maxs.data(), defaults.data());

        for (uint32_t nPort = 0; nPort < fromProcess.size(); ++nPort) {
            const SLv2Port& port = fromProcess[nPort];
            const LilvPort* pPort = lilv_plugin_get_port_by_index(pPlugIn, nPort);
            EXPECT_EQ(port.sSymbol, fromTable[nPort].sSymbol);
            EXPECT_EQ(port.sSymbol, lilv_node_as_string(lilv_port_get_symbol(pPlugIn, pPort))) << plugIn.pszUri;
            if (port.eKind != ELv2PortKind::Parameter)
                continue;
            // Engineering units straight from the process's own descriptor.
            const SParameterText& p = loaded.parameters.Get(port.nParameter);
            const double fScale = std::pow(10.0, p.nDecimals);
            EXPECT_FLOAT_EQ(mins[nPort], static_cast<float>(p.nMin / fScale)) << port.sSymbol;
            EXPECT_FLOAT_EQ(maxs[nPort], static_cast<float>(p.nMax / fScale)) << port.sSymbol;
            EXPECT_FLOAT_EQ(defaults[nPort], static_cast<float>(p.nDefault / fScale)) << port.sSymbol;
            EXPECT_TRUE(defaults[nPort] >= mins[nPort] && defaults[nPort] <= maxs[nPort]) << port.sSymbol;

            vpa::SParameterInfo info;
            loaded.pProcess->GetParameterInfo(static_cast<unsigned>(port.nParameter), &info);
            EXPECT_EQ(HasProperty(pPlugIn, pPort, LV2_PORT_PROPS__logarithmic), info.nCurve == 1) << port.sSymbol;
            const bool bSwitch = p.nType == 1 && p.valueTexts == std::vector<std::string> { "Off", "On" };
            EXPECT_EQ(HasProperty(pPlugIn, pPort, LV2_CORE__toggled), bSwitch) << port.sSymbol;
            EXPECT_EQ(HasProperty(pPlugIn, pPort, LV2_CORE__enumeration),
                (p.nType == 1 && !bSwitch) || port.nParameter == kPatch)
                << port.sSymbol;
            const std::map<std::string, std::string> units
                = { { "dB", LV2_UNITS__db }, { "Hz", LV2_UNITS__hz }, { "Ms", LV2_UNITS__ms }, { "", "" } };
            ASSERT_EQ(units.count(p.unit), 1u) << p.unit;
            EXPECT_EQ(UnitOf(pPlugIn, pPort), units.at(p.unit)) << port.sSymbol;
        }
    }
}

TEST(Lv2Ports, EveryPlugInHasLatencyEnabledAndTheParametersOfItsTypeOnly)
{
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        const std::vector<SLv2Port> ports = BuildLv2Ports(plugIn.nProcessType, TableParameters(plugIn.nProcessType));
        std::set<int> parameters;
        int nLatency = 0, nEnabled = 0, nAudio = 0;
        for (const SLv2Port& port : ports) {
            nLatency += port.eKind == ELv2PortKind::Latency;
            nEnabled += port.eKind == ELv2PortKind::Enabled;
            nAudio += port.eKind == ELv2PortKind::AudioIn || port.eKind == ELv2PortKind::AudioOut;
            if (port.eKind == ELv2PortKind::Parameter)
                parameters.insert(port.nParameter);
        }
        EXPECT_EQ(nLatency, 1);
        EXPECT_EQ(nEnabled, 1);
        EXPECT_EQ(nAudio, 4);
        for (int i = 1; i < kNrOfVantorParameters; ++i)
            EXPECT_EQ(parameters.count(i), IsParameterActive(i, plugIn.nProcessType) ? 1u : 0u) << plugIn.pszUri << i;
    }
    // The full chain has every parameter: 46 ports besides the enabled one;
    // 7 meters of the modules and 3 of the output.
    EXPECT_EQ(BuildLv2Ports(4, TableParameters(4)).size(), 4u + 2u + 46u + 7u + 3u);
}

// Hosts that take control values as a list in port order (ecasound's
// -elv2:URI,v1,v2,...) count only control inputs: those come first, in table
// order starting with the enabled port, then the outputs.
TEST(Lv2Ports, ControlInputsComeFirstInTableOrderThenLatencyAndMeters)
{
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        const std::vector<SLv2Port> ports = BuildLv2Ports(plugIn.nProcessType, TableParameters(plugIn.nProcessType));
        std::vector<int> controls;
        std::vector<ELv2PortKind> outputs;
        for (const SLv2Port& port : ports) {
            if (port.eKind == ELv2PortKind::Enabled || port.eKind == ELv2PortKind::Parameter) {
                EXPECT_TRUE(outputs.empty()) << plugIn.pszUri << ": " << port.sSymbol << " after an output";
                controls.push_back(port.nParameter);
            } else if (port.eKind == ELv2PortKind::Latency || port.eKind == ELv2PortKind::Meter) {
                outputs.push_back(port.eKind);
            }
        }
        std::vector<int> expected;
        for (int i = 0; i < kNrOfVantorParameters; ++i) {
            if (i == kGlobalBypass || IsParameterActive(i, plugIn.nProcessType))
                expected.push_back(i);
        }
        EXPECT_EQ(controls, expected) << plugIn.pszUri;
        ASSERT_FALSE(outputs.empty());
        EXPECT_EQ(outputs.front(), ELv2PortKind::Latency) << plugIn.pszUri;
    }
}

// Symbols are what sessions and presets store. This list is a guard against
// renaming one by accident; a deliberate change (before a release only) is
// written with VANTOR_UPDATE_GOLDEN=1.
TEST(Lv2Ports, SymbolsAreValidUniqueAndNeverChange)
{
    std::ostringstream list;
    list << "# Port symbols of vantor.lv2, per plug-in URI. Sessions and presets key on\n"
            "# them: never change one after a release. Checked by Lv2PortsTest.\n";
    std::map<std::string, int> parameterOfSymbol;
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        list << plugIn.pszUri << "\n";
        std::set<std::string> symbols;
        for (const SLv2Port& port : BuildLv2Ports(plugIn.nProcessType, TableParameters(plugIn.nProcessType))) {
            list << "  " << port.sSymbol << "\n";
            EXPECT_TRUE(symbols.insert(port.sSymbol).second) << "duplicate " << port.sSymbol;
            ASSERT_FALSE(port.sSymbol.empty());
            EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(port.sSymbol[0])) || port.sSymbol[0] == '_');
            for (const char c : port.sSymbol)
                EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '_') << port.sSymbol;
            // A parameter has the same symbol in every plug-in that has it.
            if (port.eKind == ELv2PortKind::Parameter) {
                auto inserted = parameterOfSymbol.emplace(port.sSymbol, port.nParameter);
                EXPECT_EQ(inserted.first->second, port.nParameter) << port.sSymbol;
            }
        }
    }
    const std::string sGolden = std::string(VANTOR_SOURCE_DIR) + "/tests/wrappers/lv2-port-symbols.txt";
    if (std::getenv("VANTOR_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(sGolden) << list.str();
        GTEST_SKIP() << "wrote " << sGolden;
    }
    std::ifstream golden(sGolden);
    std::stringstream expected;
    expected << golden.rdbuf();
    EXPECT_EQ(list.str(), expected.str()) << "port symbols changed; sessions of earlier releases would lose them";
}

// Row 7: every parameter, about 86 values across its range, through port
// value and back; and through the Turtle text that defaults and presets use.
TEST(Lv2Ports, StoredValuesSurviveThePortAndTheTurtleText)
{
    const CParameterText parameters = TableParameters(4);
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        const SParameterText& p = parameters.Get(i);
        std::vector<int> values = { p.nMin, p.nMax, p.nDefault };
        const int nSpan = p.nMax - p.nMin;
        for (int k = 0; k <= 85; ++k)
            values.push_back(p.nMin + static_cast<int>(static_cast<long>(nSpan) * k / 85));
        for (const int nStored : values) {
            const float fPort = Lv2StoredToPort(p, nStored);
            EXPECT_EQ(Lv2PortToStored(p, fPort, p.nDefault), nStored) << p.names.front() << " " << fPort;
            const std::string sText = Lv2StoredToText(p, nStored);
            EXPECT_EQ(Lv2PortToStored(p, std::strtof(sText.c_str(), nullptr), p.nDefault), nStored)
                << p.names.front() << " " << sText;
        }
    }
}

TEST(Lv2Ports, PortValuesOutsideTheRangeClampAndANaNChangesNothing)
{
    const CParameterText parameters = TableParameters(4);
    const SParameterText& gain = parameters.Get(kEqLowShelfGain);
    EXPECT_EQ(Lv2PortToStored(gain, 99.0f, 0), 150);
    EXPECT_EQ(Lv2PortToStored(gain, -INFINITY, 0), -150);
    EXPECT_EQ(Lv2PortToStored(gain, NAN, 37), 37);
    EXPECT_EQ(Lv2PortToStored(gain, 2.349f, 0), 23);
    // LV2 toggles: above 0 is on.
    const SParameterText& enable = parameters.Get(kLimiterEnable);
    EXPECT_EQ(Lv2PortToStored(enable, 0.2f, 0), 1);
    EXPECT_EQ(Lv2PortToStored(enable, 0.0f, 1), 0);
    EXPECT_EQ(Lv2PortToStored(enable, -1.0f, 1), 0);
    // Lists take the nearest index.
    const SParameterText& q = parameters.Get(kEqLowMidQ);
    EXPECT_EQ(Lv2PortToStored(q, 0.7f, 0), 1);
    EXPECT_EQ(Lv2PortToStored(q, 7.0f, 0), 1);
}

} // namespace
