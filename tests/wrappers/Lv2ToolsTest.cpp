// The bundle as Debian's LV2 tools see it: sord_validate against the LV2
// schemas, lv2ls/lv2info, lv2apply, lv2proc and lv2file rendering a WAV file
// exactly as a host-side rendering through vpaMain does, the presets a host
// lists, and the installed layout. The tools that load the binary cannot load
// a sanitizer build, so those run in the plain build only.
#include "Lv2Signal.h"
#include "Lv2TestHost.h"
#include "TestFolder.h"

#include "hosting/VpaHost.h"
#include "host-interface/vpaProcess.h"
#include "presets/PresetFile.h"
#include "processor/IVantorProcess.h"
#include "processor/ParameterTable.h"
#include "processor/VantorPlugIn.h"
#include "wrappers/lv2/Lv2Turtle.h"

#include <gtest/gtest.h>
#include <lv2/presets/presets.h>
#include <lv2/urid/urid.h>
#include <sndfile.h>

#include <filesystem>
#include <map>
#include <set>

namespace {

namespace fs = std::filesystem;

#ifdef VANTOR_SANITIZED
#define SKIP_UNDER_SANITIZERS() GTEST_SKIP() << "Debian's LV2 tools cannot load a sanitizer build"
#else
#define SKIP_UNDER_SANITIZERS() (void)0
#endif

struct SCommand {
    int nStatus;
    std::string sOutput;
};

SCommand RunCommand(const std::string& sCommand)
{
    SCommand result { -1, "" };
    FILE* pPipe = ::popen((sCommand + " 2>&1").c_str(), "r");
    if (pPipe == nullptr)
        return result;
    char buffer[4096];
    while (std::fgets(buffer, sizeof(buffer), pPipe) != nullptr)
        result.sOutput += buffer;
    result.nStatus = ::pclose(pPipe);
    return result;
}

std::string WithBuildLv2Path(const std::string& sCommand)
{
    return "LV2_PATH='" + std::string(VANTOR_BUNDLE_DIR) + "' " + sCommand;
}

void WriteWav(const std::string& sPath, const SStereo& signal, int nRate)
{
    SF_INFO info {};
    info.samplerate = nRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* pFile = sf_open(sPath.c_str(), SFM_WRITE, &info);
    ASSERT_NE(pFile, nullptr) << sf_strerror(nullptr);
    std::vector<float> interleaved(2 * signal.Frames());
    for (size_t n = 0; n < signal.Frames(); ++n) {
        interleaved[2 * n] = signal.left[n];
        interleaved[2 * n + 1] = signal.right[n];
    }
    sf_writef_float(pFile, interleaved.data(), static_cast<sf_count_t>(signal.Frames()));
    sf_close(pFile);
}

SStereo ReadWav(const std::string& sPath)
{
    SF_INFO info {};
    SNDFILE* pFile = sf_open(sPath.c_str(), SFM_READ, &info);
    SStereo signal;
    if (pFile == nullptr || info.channels != 2) {
        ADD_FAILURE() << sPath << ": " << sf_strerror(pFile);
        if (pFile != nullptr)
            sf_close(pFile);
        return signal;
    }
    std::vector<float> interleaved(2 * static_cast<size_t>(info.frames));
    sf_readf_float(pFile, interleaved.data(), info.frames);
    sf_close(pFile);
    for (size_t n = 0; n < static_cast<size_t>(info.frames); ++n) {
        signal.left.push_back(interleaved[2 * n]);
        signal.right.push_back(interleaved[2 * n + 1]);
    }
    return signal;
}

// One setting as the LV2 tools take it and as a user names it.
struct SSetting {
    const char* pszSymbol;
    const char* pszPortValue;
    const char* pszAssignment;
};
const SSetting kSettings[] = {
    { "patch", "5", "Patch=5" },
    { "eq_low_cut_freq", "35", "EQ Low Cut Freq=35" },
    { "eq_low_shelf_gain", "4.5", "LSG=4.5" },
    { "eq_high_mid_freq", "3000", "EQ High Mid Freq=3000 Hz" },
    { "eq_high_mid_q", "1", "HMQ=high q" },
    { "compressor_ratio", "2.5", "Ratio=2.5" },
    { "compressor_input_drive", "6", "Compressor Input Drive=6" },
    { "limiter_input_drive", "5", "Limiter Input Drive=5" },
    { "limiter_release", "200", "LRelease=200" },
    { "clipper_curve", "-3", "Clipper Curve=-3" },
};

// The reference: the same settings through vpaMain, the way the
// command-line tool masters a file, with the 64 frames of latency left in.
SStereo RenderThroughProcess(const SStereo& input, int nRate)
{
    CVpaLibrary library;
    EXPECT_TRUE(library.Load(CVpaLibrary::DefaultPath())) << library.GetError();
    CVpaHost host;
    vpa::IPlugIn* pPlugIn = library.CreatePlugIn(&host, nullptr);
    vpa::IProcess* pProcess = pPlugIn != nullptr ? pPlugIn->CreateProcess(4) : nullptr;
    SStereo output { std::vector<float>(input.Frames()), std::vector<float>(input.Frames()) };
    if (pProcess == nullptr) {
        ADD_FAILURE() << "no process";
        return output;
    }
    pProcess->SetNrOfChannelsIn(2);
    pProcess->SetNrOfChannelsOut(2);
    pProcess->SetMaxBufferSize(4096);
    pProcess->SetSampleFreq(static_cast<float>(nRate));
    pProcess->Start();
    CParameterText parameters;
    parameters.Load(*pProcess);
    for (const SSetting& setting : kSettings) {
        int nIndex = -1, nStored = 0;
        std::string sWarning, sError;
        EXPECT_TRUE(parameters.ParseAssignment(setting.pszAssignment, nIndex, nStored, sWarning, sError)) << sError;
        pProcess->SetParameter(static_cast<unsigned>(nIndex), nStored);
    }
    std::vector<float> inL(input.left), inR(input.right);
    for (size_t nDone = 0; nDone < input.Frames(); nDone += 4096) {
        const unsigned nBlock = static_cast<unsigned>(std::min<size_t>(4096, input.Frames() - nDone));
        float* ppIn[2] = { inL.data() + nDone, inR.data() + nDone };
        float* ppOut[2] = { output.left.data() + nDone, output.right.data() + nDone };
        int nFlag = 0;
        pProcess->Process(ppOut, ppIn, nBlock, &nFlag);
    }
    pProcess->DestroySelf();
    pPlugIn->DestroySelf();
    return output;
}

// Largest difference of b against a shifted by nShift frames (b[n] against
// a[n + nShift]) over the frames both have.
float LargestDifference(const SStereo& a, const SStereo& b, size_t nShift, size_t& nCompared)
{
    float fLargest = 0.0f;
    nCompared = 0;
    for (size_t n = 0; n + nShift < a.Frames() && n < b.Frames(); ++n, ++nCompared) {
        fLargest = std::max(fLargest, std::fabs(a.left[n + nShift] - b.left[n]));
        fLargest = std::max(fLargest, std::fabs(a.right[n + nShift] - b.right[n]));
    }
    return fLargest;
}

std::vector<std::string> SchemaFiles()
{
    std::vector<std::string> files;
    for (const char* pszBundle : { "schemas", "core", "atom", "buf-size", "data-access", "dynmanifest", "event",
             "instance-access", "log", "midi", "morph", "options", "parameters", "patch", "port-groups", "port-props",
             "presets", "resize-port", "state", "time", "ui", "units", "uri-map", "urid", "worker" }) {
        const fs::path bundle = fs::path("/usr/lib/lv2") / (std::string(pszBundle) + ".lv2");
        if (!fs::is_directory(bundle))
            continue;
        for (const auto& entry : fs::directory_iterator(bundle)) {
            if (entry.path().extension() == ".ttl")
                files.push_back(entry.path().string());
        }
    }
    return files;
}

SCommand Validate(const std::vector<std::string>& ours)
{
    std::string sCommand = "sord_validate";
    for (const std::string& sFile : SchemaFiles())
        sCommand += " '" + sFile + "'";
    for (const std::string& sFile : ours)
        sCommand += " '" + sFile + "'";
    return RunCommand(sCommand);
}

TEST(Lv2Tools, SordValidateFindsNoErrorInOurTurtle)
{
    ASSERT_GT(SchemaFiles().size(), 20u) << "the LV2 schemas of lv2-dev are missing";
    std::vector<std::string> ours;
    for (const auto& entry : fs::directory_iterator(Lv2BundleFolder())) {
        if (entry.path().extension() == ".ttl")
            ours.push_back(entry.path().string());
    }
    ASSERT_EQ(ours.size(), 7u);
    const SCommand result = Validate(ours);
    EXPECT_EQ(result.nStatus, 0) << result.sOutput;
    EXPECT_NE(result.sOutput.find("Found 0 errors"), std::string::npos) << result.sOutput;

    // The check itself sees a unit that does not exist.
    CTestFolder temp;
    const std::vector<uint8_t> chain = ReadBytes(Lv2BundleFolder() + "chain.ttl");
    std::string sBroken(chain.begin(), chain.end());
    const size_t nAt = sBroken.find("units:unit units:hz");
    ASSERT_NE(nAt, std::string::npos);
    sBroken.replace(nAt, 19, "units:unit units:hertz");
    WriteBytes(temp.Path("chain.ttl"), sBroken);
    const SCommand broken = Validate({ temp.Path("chain.ttl") });
    EXPECT_EQ(broken.sOutput.find("Found 0 errors"), std::string::npos) << broken.sOutput;
}

class Lv2Render : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_UNDER_SANITIZERS();
        input = MusicLikeSignal(66150, 44100.0, 21);
        WriteWav(temp.Path("in.wav"), input, 44100);
        reference = RenderThroughProcess(input, 44100);
    }
    // Runs one tool; its output file.
    SStereo Render(const std::string& sCommand, const std::string& sOut)
    {
        const SCommand result = RunCommand(WithBuildLv2Path(sCommand));
        EXPECT_EQ(result.nStatus, 0) << sCommand << "\n" << result.sOutput;
        return ReadWav(sOut);
    }
    CTestFolder temp;
    SStereo input, reference;
};

TEST_F(Lv2Render, Lv2applyMastersLikeTheProcessItself)
{
    std::string sCommand = "lv2apply -i '" + temp.Path("in.wav") + "' -o '" + temp.Path("out.wav") + "'";
    for (const SSetting& setting : kSettings)
        sCommand += std::string(" -c ") + setting.pszSymbol + " " + setting.pszPortValue;
    const SStereo output = Render(sCommand + " urn:vantor:lv2:chain", temp.Path("out.wav"));
    size_t nCompared = 0;
    // lv2apply keeps the latency, as the reference does.
    const float fLargest = LargestDifference(reference, output, 0, nCompared);
    EXPECT_LE(fLargest, 1e-6f);
    std::printf("lv2apply against the process: largest difference %g over %zu frames\n", fLargest, nCompared);
    EXPECT_EQ(nCompared, input.Frames());
}

TEST_F(Lv2Render, Lv2fileGivesTheSameOutputInBlocksOf37And4096)
{
    // lv2file stops at the first clipped sample unless told to ignore it;
    // these settings drive the output past full scale on purpose.
    std::string sSettings = " --ignore-clipping";
    for (const SSetting& setting : kSettings)
        sSettings += std::string(" -p ") + setting.pszSymbol + ":" + setting.pszPortValue;
    const std::string sIn = "'" + temp.Path("in.wav") + "'";
    const SStereo small
        = Render("lv2file -i " + sIn + " -o '" + temp.Path("37.wav") + "' -b 37" + sSettings + " urn:vantor:lv2:chain",
            temp.Path("37.wav"));
    const SStereo large = Render(
        "lv2file -i " + sIn + " -o '" + temp.Path("4096.wav") + "' -b 4096" + sSettings + " urn:vantor:lv2:chain",
        temp.Path("4096.wav"));
    ASSERT_EQ(small.Frames(), input.Frames());
    ASSERT_EQ(large.Frames(), input.Frames());
    EXPECT_TRUE(small.left == large.left && small.right == large.right) << "block size changed the output";
    size_t nCompared = 0;
    EXPECT_LE(LargestDifference(reference, small, 0, nCompared), 1e-6f);
}

// --- Presets --------------------------------------------------------------------

LV2_URID MapUri(LV2_URID_Map_Handle, const char* pszUri)
{
    static std::map<std::string, LV2_URID> uris;
    return uris.emplace(pszUri, static_cast<LV2_URID>(uris.size() + 1)).first->second;
}

struct SPresetValues {
    std::string sLabel;
    std::map<std::string, float> values; // port symbol -> value
};

std::vector<SPresetValues> PresetsOf(const char* pszUri)
{
    LilvWorld* pWorld = CLv2World::Get().World();
    const LilvPlugin* pPlugIn = CLv2World::Get().PlugIn(pszUri);
    LilvNode* pPresetClass = lilv_new_uri(pWorld, LV2_PRESETS__Preset);
    LilvNode* pLabel = lilv_new_uri(pWorld, "http://www.w3.org/2000/01/rdf-schema#label");
    LilvNodes* pPresets = lilv_plugin_get_related(pPlugIn, pPresetClass);
    LV2_URID_Map map = { nullptr, MapUri };
    std::vector<SPresetValues> result;
    LILV_FOREACH(nodes, i, pPresets)
    {
        const LilvNode* pPreset = lilv_nodes_get(pPresets, i);
        lilv_world_load_resource(pWorld, pPreset);
        SPresetValues preset;
        if (LilvNodes* pLabels = lilv_world_find_nodes(pWorld, pPreset, pLabel, nullptr)) {
            preset.sLabel = lilv_node_as_string(lilv_nodes_get_first(pLabels));
            lilv_nodes_free(pLabels);
        }
        LilvState* pState = lilv_state_new_from_world(pWorld, &map, pPreset);
        EXPECT_NE(pState, nullptr) << preset.sLabel;
        if (pState != nullptr) {
            lilv_state_emit_port_values(
                pState,
                [](const char* pszSymbol, void* pData, const void* pValue, uint32_t nSize, uint32_t nType) {
                    float fValue = NAN;
                    if (nType == MapUri(nullptr, "http://lv2plug.in/ns/ext/atom#Float") && nSize == 4)
                        fValue = *static_cast<const float*>(pValue);
                    else if (nType == MapUri(nullptr, "http://lv2plug.in/ns/ext/atom#Int") && nSize == 4)
                        fValue = static_cast<float>(*static_cast<const int32_t*>(pValue));
                    static_cast<SPresetValues*>(pData)->values[pszSymbol] = fValue;
                },
                &preset);
            lilv_state_free(pState);
        }
        result.push_back(preset);
    }
    lilv_nodes_free(pPresets);
    lilv_node_free(pLabel);
    lilv_node_free(pPresetClass);
    return result;
}

class CQuietHost : public IHost {
public:
    unsigned GetVersion() override { return kVpaInterfaceVersion; }
    void ParameterChanged(int, int) override { }
};

// Every factory preset but the defaults is listed for the plug-in of its
// mode, and a module's preset for the chain plug-in too; its port values are
// the stored values the library's own preset file of the same source holds
// (where the preset files are built), and a module's preset on the chain
// sets that module's ports and no other.
TEST(Lv2Presets, FactoryPresetsAreListedForTheirPlugInWithTheLibrarysValues)
{
    const fs::path factory = fs::path(VANTOR_SOURCE_DIR) / "presets" / "factory";
    std::map<std::string, std::set<std::string>> expected; // plug-in URI -> labels
    std::map<std::string, std::string> presetFile; // label -> .ryxp path
    std::map<std::string, unsigned> moduleOf; // label -> process type of its source
    for (const auto& entry : fs::recursive_directory_iterator(factory)) {
        if (entry.path().extension() != ".preset")
            continue;
        const std::string sRelative = fs::relative(entry.path(), factory).generic_string();
        if (sRelative.rfind("Defaults/", 0) == 0)
            continue;
        std::vector<SLv2Preset> presets;
        std::string sError;
        ASSERT_TRUE(ReadLv2Presets(factory.string(), sRelative, presets, sError)) << sError;
        for (const SLv2Preset& preset : presets)
            expected[preset.pPlugIn->pszUri].insert(preset.sLabel);
        presetFile[presets.front().sLabel] = std::string(VANTOR_BUNDLE_DIR) + "/" + kPresetsFolderName + "/"
            + sRelative.substr(0, sRelative.size() - 7) + kPresetExtension;
        moduleOf[presets.front().sLabel] = presets.front().pPlugIn->nProcessType;
    }
    // Written by hand, not from the code: the module presets the chain must offer.
    for (const char* pszLabel :
        { "EQ: Air Lift", "EQ: Mud Cut", "Dynamics: Soft Knee Glue", "Dynamics: Transparent Ceiling" })
        EXPECT_EQ(expected["urn:vantor:lv2:chain"].count(pszLabel), 1u) << pszLabel;
    ASSERT_FALSE(expected.empty());
    int nCompared = 0;
    for (const SLv2PlugIn& plugIn : kLv2PlugIns) {
        const std::vector<SPresetValues> presets = PresetsOf(plugIn.pszUri);
        std::set<std::string> labels;
        for (const SPresetValues& preset : presets) {
            labels.insert(preset.sLabel);
            EXPECT_EQ(preset.values.count("enabled"), 0u) << "presets leave the bypass to the host";
            const std::string& sFile = presetFile[preset.sLabel];
            if (!fs::exists(sFile))
                continue;
            CQuietHost host;
            CVantorPlugIn library(&host);
            vpa::IProcess* pProcess = library.CreateProcess(plugIn.nProcessType);
            dynamic_cast<IVantorProcess*>(pProcess)->LoadPreset(sFile, -1, false);
            const CParameterText parameters = TableParameters(plugIn.nProcessType);
            for (const SLv2Port& port : BuildLv2Ports(plugIn.nProcessType, parameters)) {
                if (port.eKind != ELv2PortKind::Parameter)
                    continue;
                const bool bHeld = IsParameterActive(port.nParameter, moduleOf[preset.sLabel]);
                ASSERT_EQ(preset.values.count(port.sSymbol), bHeld ? 1u : 0u) << preset.sLabel << " " << port.sSymbol;
                if (!bHeld)
                    continue;
                EXPECT_EQ(Lv2PortToStored(parameters.Get(port.nParameter), preset.values.at(port.sSymbol), INT32_MIN),
                    pProcess->GetParameter(static_cast<unsigned>(port.nParameter)))
                    << preset.sLabel << " " << port.sSymbol;
            }
            pProcess->DestroySelf();
            ++nCompared;
        }
        EXPECT_EQ(labels, expected[plugIn.pszUri]) << plugIn.pszUri;
    }
    if (nCompared == 0)
        std::printf("no built preset files to compare with; the labels were checked\n");
}

// cmake --install lays out lib/lv2/vantor.lv2 beside lib/vantor/Vantor.vpa;
// the installed bundle renders what the build tree's does.
TEST(Lv2Install, TheInstalledBundleFindsTheInstalledLibrary)
{
    SKIP_UNDER_SANITIZERS();
    CTestFolder prefix;
    const SCommand install
        = RunCommand("cmake --install '" + std::string(VANTOR_BINARY_DIR) + "' --prefix '" + prefix.Root() + "'");
    ASSERT_EQ(install.nStatus, 0) << install.sOutput;
    const std::string sBundle = prefix.Path("lib/lv2/vantor.lv2");
    EXPECT_TRUE(fs::exists(sBundle + "/manifest.ttl"));
    EXPECT_EQ(fs::read_symlink(sBundle + "/Vantor.vpa"), fs::path("../../vantor/Vantor.vpa"));
    EXPECT_TRUE(fs::exists(prefix.Path("lib/vantor/Vantor.vpa")));

    const std::string sLv2Path = "LV2_PATH='" + prefix.Path("lib/lv2") + "' ";
    const SCommand list = RunCommand(sLv2Path + "lv2ls");
    for (const SLv2PlugIn& plugIn : kLv2PlugIns)
        EXPECT_NE(list.sOutput.find(plugIn.pszUri), std::string::npos) << list.sOutput;

    const SStereo input = MusicLikeSignal(20000, 48000.0, 2);
    WriteWav(prefix.Path("in.wav"), input, 48000);
    const SCommand installed = RunCommand(sLv2Path + "lv2apply -i '" + prefix.Path("in.wav") + "' -o '"
        + prefix.Path("a.wav") + "' -c limiter_input_drive 6 urn:vantor:lv2:chain");
    ASSERT_EQ(installed.nStatus, 0) << installed.sOutput;
    const SCommand built = RunCommand(WithBuildLv2Path("lv2apply -i '" + prefix.Path("in.wav") + "' -o '"
        + prefix.Path("b.wav") + "' -c limiter_input_drive 6 urn:vantor:lv2:chain"));
    ASSERT_EQ(built.nStatus, 0) << built.sOutput;
    const SStereo a = ReadWav(prefix.Path("a.wav")), b = ReadWav(prefix.Path("b.wav"));
    EXPECT_TRUE(a.left == b.left && a.right == b.right);
}

} // namespace
