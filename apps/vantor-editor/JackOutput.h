// Sound out through a running JACK server: a client with two output ports,
// connected to the first two physical playback ports. It never starts a
// server; without one, Open fails and the caller plays elsewhere.
#pragma once

#include <atomic>
#include <string>

struct _jack_client;
struct _jack_port;

// What fills the output: called on JACK's real-time thread with two
// buffers of nFrames each.
class IAudioRenderer {
public:
    virtual void Render(float* ppfOut[2], unsigned nFrames) = 0;

protected:
    ~IAudioRenderer() = default;
};

class CJackOutput {
public:
    CJackOutput();
    ~CJackOutput();
    CJackOutput(const CJackOutput&) = delete;
    CJackOutput& operator=(const CJackOutput&) = delete;

    // Connects to the server (JACK_DEFAULT_SERVER, or the default one) as
    // client sName. False with sError when no server answers.
    bool Open(const std::string& sName, std::string& sError);
    bool IsOpen() const { return mpClient != nullptr; }
    float GetSampleRate() const;
    // The client's full name as the server knows it (it may add a number).
    std::string GetClientName() const;

    // Starts calling pRenderer and connects the outputs to the speakers
    // (unless bConnect is false). False with sError when the server refuses.
    bool Start(IAudioRenderer* pRenderer, bool bConnect, std::string& sError);
    // Stops the calls and leaves the server.
    void Close();
    // True once the server has shut down under us.
    bool HasShutDown() const { return mbShutDown.load(std::memory_order_acquire); }

private:
    static int ProcessCallback(unsigned nFrames, void* pArgument);
    static void ShutdownCallback(void* pArgument);

    _jack_client* mpClient;
    _jack_port* mpPorts[2];
    IAudioRenderer* mpRenderer;
    std::atomic<bool> mbShutDown;
};
