// Plays an audio file through a process, looping, as a host would: through
// a running JACK server when there is one, otherwise at real-time pace on a
// thread of its own into nowhere, so the editor's meters and lights move
// either way.
#pragma once

#include "JackOutput.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace vpa {
class IProcess;
}

class CAudioPlayer : private IAudioRenderer {
public:
    // Blocks of the paced thread, and the largest block the process is
    // prepared for (a larger JACK block is played as silence).
    static constexpr unsigned kPacedBlockFrames = 512;
    static constexpr unsigned kMaxBlockFrames = 8192;

    CAudioPlayer();
    ~CAudioPlayer();
    CAudioPlayer(const CAudioPlayer&) = delete;
    CAudioPlayer& operator=(const CAudioPlayer&) = delete;

    // Reads the whole file (anything libsndfile reads); false with sError.
    bool Load(const std::string& sPath, std::string& sError);
    bool IsLoaded() const { return mnFrames != 0; }
    unsigned GetChannels() const { return mnChannels; }
    // The rate the process must run at: the JACK server's once connected
    // (the file is converted to it), otherwise the file's.
    float GetSampleRate() const { return mfRate; }

    // Connects to a running JACK server as sClientName; false with sError
    // when there is none (playback is then paced and silent).
    bool OpenJack(const std::string& sClientName, std::string& sError);
    std::string GetJackClientName() const { return mJack.GetClientName(); }

    // Starts playing through a process set up for GetChannels(),
    // GetSampleRate() and kMaxBlockFrames. bConnect: connect the JACK outputs
    // to the speakers. False with sError when the JACK server refuses. Stop
    // ends the playing and leaves the JACK server for good.
    bool Start(vpa::IProcess* pProcess, bool bConnect, std::string& sError);
    // When the JACK server has gone away, goes on at real-time pace; true
    // the one time it switches. For the host's main loop.
    bool FallBackIfJackLost();
    void Stop();

private:
    void Render(float* ppfOut[2], unsigned nFrames) override;
    void RunPaced();
    bool ConvertRate(float fNewRate, std::string& sError);

    std::vector<std::vector<float>> maChannels; // planar
    unsigned mnChannels;
    size_t mnFrames;
    size_t mnPosition; // audio thread only
    float mfRate;
    vpa::IProcess* mpProcess;
    CJackOutput mJack;
    std::atomic<bool> mbRunning;
    std::thread mThread;
};
