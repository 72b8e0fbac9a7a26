#include "JackOutput.h"

#include <jack/jack.h>

namespace {

// JACK reports trouble on stderr by default; the editor says once, in its own
// words, what it could not do.
void QuietError(const char*) { }

} // namespace

CJackOutput::CJackOutput()
    : mpClient(nullptr)
    , mpPorts { nullptr, nullptr }
    , mpRenderer(nullptr)
    , mbShutDown(false)
{ }

CJackOutput::~CJackOutput()
{
    Close();
}

bool CJackOutput::Open(const std::string& sName, std::string& sError)
{
    Close();
    jack_set_error_function(QuietError);
    jack_set_info_function(QuietError);
    jack_status_t status {};
    mpClient = jack_client_open(sName.c_str(), JackNoStartServer, &status);
    if (mpClient == nullptr) {
        sError = (status & JackServerFailed) != 0 ? "no JACK server is running" : "the JACK server refused the client";
        return false;
    }
    static const char* const kPortNames[2] = { "out_left", "out_right" };
    for (int i = 0; i < 2; ++i) {
        mpPorts[i] = jack_port_register(mpClient, kPortNames[i], JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (mpPorts[i] == nullptr) {
            sError = "the JACK server refused an output port";
            Close();
            return false;
        }
    }
    return true;
}

float CJackOutput::GetSampleRate() const
{
    return mpClient != nullptr ? static_cast<float>(jack_get_sample_rate(mpClient)) : 0.0f;
}

std::string CJackOutput::GetClientName() const
{
    return mpClient != nullptr ? jack_get_client_name(mpClient) : "";
}

bool CJackOutput::Start(IAudioRenderer* pRenderer, bool bConnect, std::string& sError)
{
    if (mpClient == nullptr || pRenderer == nullptr) {
        sError = "not connected to a JACK server";
        return false;
    }
    mpRenderer = pRenderer;
    jack_set_process_callback(mpClient, ProcessCallback, this);
    jack_on_shutdown(mpClient, ShutdownCallback, this);
    if (jack_activate(mpClient) != 0) {
        sError = "the JACK server did not start the client";
        return false;
    }
    if (!bConnect)
        return true;
    // The first two physical outputs; a mono setup gets the left channel.
    const char** ppszSpeakers
        = jack_get_ports(mpClient, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
    for (int i = 0; ppszSpeakers != nullptr && i < 2 && ppszSpeakers[i] != nullptr; ++i)
        jack_connect(mpClient, jack_port_name(mpPorts[i]), ppszSpeakers[i]);
    if (ppszSpeakers != nullptr)
        jack_free(ppszSpeakers);
    return true;
}

void CJackOutput::Close()
{
    if (mpClient == nullptr)
        return;
    // After a shutdown the client is dead; closing it still frees it.
    if (!HasShutDown())
        jack_deactivate(mpClient);
    jack_client_close(mpClient);
    mpClient = nullptr;
    mpPorts[0] = mpPorts[1] = nullptr;
    mpRenderer = nullptr;
}

// JACK's real-time thread.
int CJackOutput::ProcessCallback(unsigned nFrames, void* pArgument)
{
    auto* pThis = static_cast<CJackOutput*>(pArgument);
    float* ppfOut[2];
    for (int i = 0; i < 2; ++i)
        ppfOut[i] = static_cast<float*>(jack_port_get_buffer(pThis->mpPorts[i], nFrames));
    pThis->mpRenderer->Render(ppfOut, nFrames);
    return 0;
}

void CJackOutput::ShutdownCallback(void* pArgument)
{
    static_cast<CJackOutput*>(pArgument)->mbShutDown.store(true, std::memory_order_release);
}
