// A small LV2 host on liblilv for the tests: loads build/bundle/vantor.lv2
// alone, instantiates a plug-in without any host feature (as lv2apply does),
// owns one value per control port and drives run() on caller buffers.
#pragma once

#include <lilv/lilv.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The bundle folder of this build and its file URI.
std::string Lv2BundleFolder();

// One lilv world holding only our bundle, shared by a test program.
class CLv2World {
public:
    static CLv2World& Get();
    LilvWorld* World() const { return mpWorld; }
    // The plug-in of an URI, or null.
    const LilvPlugin* PlugIn(const std::string& sUri) const;

private:
    CLv2World();
    LilvWorld* mpWorld;
};

class CLv2Instance {
public:
    // Instantiates sUri at fRate and connects every port; Instance() is null
    // when that failed.
    CLv2Instance(const std::string& sUri, double fRate);
    ~CLv2Instance();
    CLv2Instance(const CLv2Instance&) = delete;
    CLv2Instance& operator=(const CLv2Instance&) = delete;

    LilvInstance* Instance() const { return mpInstance; }
    const LilvPlugin* PlugIn() const { return mpPlugIn; }

    // Port index of a symbol, or -1.
    int PortIndex(const std::string& sSymbol) const;
    // Control port values by symbol (input or output); false when no such port.
    bool Set(const std::string& sSymbol, float fValue);
    float Get(const std::string& sSymbol) const;
    float& Control(uint32_t nPort) { return mfControls[nPort]; }

    struct SControl {
        uint32_t nPort;
        std::string sSymbol;
        float fMin, fMax, fDefault;
        bool bToggled, bInteger;
    };
    const std::vector<SControl>& InputControls() const { return mInputs; }

    void Activate() { lilv_instance_activate(mpInstance); }
    void Deactivate() { lilv_instance_deactivate(mpInstance); }
    // One run() over nFrames with the left/right buffers given (in and out
    // may be the same buffers).
    void Run(float* pfInL, float* pfInR, float* pfOutL, float* pfOutR, uint32_t nFrames);

private:
    const LilvPlugin* mpPlugIn = nullptr;
    LilvInstance* mpInstance = nullptr;
    std::vector<float> mfControls;
    std::vector<SControl> mInputs;
    uint32_t mnAudio[4] = { 0, 0, 0, 0 }; // in l, in r, out l, out r
};
