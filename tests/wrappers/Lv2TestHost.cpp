#include "Lv2TestHost.h"

#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>

#include <cmath>

std::string Lv2BundleFolder()
{
    return std::string(VANTOR_BUNDLE_DIR) + "/vantor.lv2/";
}

CLv2World& CLv2World::Get()
{
    static CLv2World world;
    return world;
}

CLv2World::CLv2World()
    : mpWorld(lilv_world_new())
{
    LilvNode* pBundle = lilv_new_file_uri(mpWorld, nullptr, Lv2BundleFolder().c_str());
    lilv_world_load_bundle(mpWorld, pBundle);
    lilv_node_free(pBundle);
}

const LilvPlugin* CLv2World::PlugIn(const std::string& sUri) const
{
    LilvNode* pUri = lilv_new_uri(mpWorld, sUri.c_str());
    const LilvPlugin* pPlugIn = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mpWorld), pUri);
    lilv_node_free(pUri);
    return pPlugIn;
}

CLv2Instance::CLv2Instance(const std::string& sUri, double fRate)
{
    LilvWorld* pWorld = CLv2World::Get().World();
    mpPlugIn = CLv2World::Get().PlugIn(sUri);
    if (mpPlugIn == nullptr)
        return;
    const uint32_t nPorts = lilv_plugin_get_num_ports(mpPlugIn);
    mfControls.assign(nPorts, 0.0f);
    std::vector<float> mins(nPorts), maxs(nPorts), defaults(nPorts);
    lilv_plugin_get_port_ranges_float(mpPlugIn, mins.data(), maxs.data(), defaults.data());
    LilvNode* pInput = lilv_new_uri(pWorld, LV2_CORE__InputPort);
    LilvNode* pControl = lilv_new_uri(pWorld, LV2_CORE__ControlPort);
    LilvNode* pAudio = lilv_new_uri(pWorld, LV2_CORE__AudioPort);
    LilvNode* pToggled = lilv_new_uri(pWorld, LV2_CORE__toggled);
    LilvNode* pInteger = lilv_new_uri(pWorld, LV2_CORE__integer);
    mpInstance = lilv_plugin_instantiate(mpPlugIn, fRate, nullptr);
    int nIn = 0, nOut = 2;
    for (uint32_t nPort = 0; nPort < nPorts; ++nPort) {
        const LilvPort* pPort = lilv_plugin_get_port_by_index(mpPlugIn, nPort);
        const bool bInput = lilv_port_is_a(mpPlugIn, pPort, pInput);
        if (lilv_port_is_a(mpPlugIn, pPort, pAudio)) {
            mnAudio[bInput ? nIn++ : nOut++] = nPort;
            continue;
        }
        if (!lilv_port_is_a(mpPlugIn, pPort, pControl))
            continue;
        mfControls[nPort] = std::isnan(defaults[nPort]) ? 0.0f : defaults[nPort];
        if (mpInstance != nullptr)
            lilv_instance_connect_port(mpInstance, nPort, &mfControls[nPort]);
        if (bInput) {
            mInputs.push_back({ nPort, lilv_node_as_string(lilv_port_get_symbol(mpPlugIn, pPort)), mins[nPort],
                maxs[nPort], defaults[nPort], lilv_port_has_property(mpPlugIn, pPort, pToggled),
                lilv_port_has_property(mpPlugIn, pPort, pInteger) });
        }
    }
    for (LilvNode* pNode : { pInput, pControl, pAudio, pToggled, pInteger })
        lilv_node_free(pNode);
}

CLv2Instance::~CLv2Instance()
{
    if (mpInstance != nullptr)
        lilv_instance_free(mpInstance);
}

int CLv2Instance::PortIndex(const std::string& sSymbol) const
{
    LilvNode* pSymbol = lilv_new_string(CLv2World::Get().World(), sSymbol.c_str());
    const LilvPort* pPort = lilv_plugin_get_port_by_symbol(mpPlugIn, pSymbol);
    lilv_node_free(pSymbol);
    return pPort != nullptr ? static_cast<int>(lilv_port_get_index(mpPlugIn, pPort)) : -1;
}

bool CLv2Instance::Set(const std::string& sSymbol, float fValue)
{
    const int nPort = PortIndex(sSymbol);
    if (nPort < 0)
        return false;
    mfControls[static_cast<size_t>(nPort)] = fValue;
    return true;
}

float CLv2Instance::Get(const std::string& sSymbol) const
{
    const int nPort = PortIndex(sSymbol);
    return nPort >= 0 ? mfControls[static_cast<size_t>(nPort)] : NAN;
}

void CLv2Instance::Run(float* pfInL, float* pfInR, float* pfOutL, float* pfOutR, uint32_t nFrames)
{
    float* buffers[4] = { pfInL, pfInR, pfOutL, pfOutR };
    for (int i = 0; i < 4; ++i)
        lilv_instance_connect_port(mpInstance, mnAudio[i], buffers[i]);
    lilv_instance_run(mpInstance, nFrames);
}
