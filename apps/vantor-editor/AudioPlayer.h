// Plays an audio file through a process at real-time pace, looping, on a
// thread of its own (the host's audio thread). The output goes nowhere: the
// point is that the process runs as it would in a host, so the editor's
// meters and lights move.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace vpa {
class IProcess;
}

class CAudioPlayer {
public:
    static constexpr unsigned kBlockFrames = 512;

    CAudioPlayer();
    ~CAudioPlayer();
    CAudioPlayer(const CAudioPlayer&) = delete;
    CAudioPlayer& operator=(const CAudioPlayer&) = delete;

    // Reads the whole file (anything libsndfile reads); false with sError.
    bool Load(const std::string& sPath, std::string& sError);
    unsigned GetChannels() const { return mnChannels; }
    float GetSampleRate() const { return mfRate; }
    double GetSeconds() const { return mfRate > 0 ? static_cast<double>(mnFrames) / mfRate : 0.0; }

    // Starts the audio thread on a process set up for GetChannels() and
    // GetSampleRate().
    void Start(vpa::IProcess* pProcess);
    void Stop();

private:
    void Run();

    std::vector<std::vector<float>> maChannels; // planar
    unsigned mnChannels;
    size_t mnFrames;
    float mfRate;
    vpa::IProcess* mpProcess;
    std::atomic<bool> mbRunning;
    std::thread mThread;
};
