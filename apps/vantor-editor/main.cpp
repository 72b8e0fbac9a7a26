// vantor-editor: the plug-in's editor in a window of its own, with a file
// playing through the process so that the meters move.
#include "AudioPlayer.h"
#include "PngFile.h"

#include "hosting/VpaHost.h"
#include "apps/vantor/ProcessSettings.h"
#include "apps/vantor/ToolError.h"
#include "editor/IVantorEmbeddedEditor.h"
#include "host-interface/vpaGUI.h"
#include "host-interface/vpaPlugIn.h"
#include "host-interface/vpaProcess.h"
#include "platform/Platform.h"
#include "platform/Window.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kHelp = "usage: vantor-editor [OPTIONS] [AUDIO-FILE]\n"
                          "\n"
                          "Opens the Vantor editor in a window of its own. The plug-in library is\n"
                          "loaded as a host loads it; an audio file (WAV, AIFF, FLAC, Ogg; mono or\n"
                          "stereo) is played through the process in a loop. When a JACK server is\n"
                          "running the sound goes out through it (client \"vantor-editor\", ports\n"
                          "out_left and out_right, connected to the first two speakers; a file at\n"
                          "another rate is converted to the server's). Without a server the file is\n"
                          "processed at real-time pace without sound, so the meters and clip lights\n"
                          "still move.\n"
                          "\n"
                          "Options:\n"
                          "  --mode MODE           which process to edit: chain (all four modules, the\n"
                          "                        default), eq, compressor, limiter, clipper, or 0 to 4\n"
                          "  --preset P            start from preset P: a name in the presets folder\n"
                          "                        (\"Mastering:Gentle Glue\") or a .ryxp file\n"
                          "  --set NAME=VALUE      then set a parameter, as `vantor master --set` does\n"
                          "                        (\"Ratio=2.5\", \"LCF=off\"); may be repeated\n"
                          "  --print-texts         print what every value text of the module panels\n"
                          "                        shows, one \"PANEL CONTROL TEXT\" line each (panels 1\n"
                          "                        equaliser, 2 compressor, 3 limiter, 4 clipper), and\n"
                          "                        quit; needs no display\n"
                          "  --screenshot FILE.png write what the window shows as PNG, then quit\n"
                          "  --after SECONDS       when to take the screenshot (default 1), or, without\n"
                          "                        --screenshot, when to quit\n"
                          "  --library PATH        the plug-in library (default: lib/vantor/Vantor.vpa\n"
                          "                        beside the program, or the build's bundle)\n"
                          "  --no-jack             do not use a JACK server even when one is running\n"
                          "  --no-connect          leave the JACK outputs unconnected\n"
                          "  --cpu                 print the editor thread's CPU use when quitting\n"
                          "  --print-changes       print \"parameter INDEX = VALUE\" for every change the\n"
                          "                        editor makes, as the host hears it\n"
                          "  --help                this text\n"
                          "\n"
                          "The JACK server is the default one, or the one JACK_DEFAULT_SERVER names.\n"
                          "\n"
                          "Exit status: 0 done, 1 bad options, unknown names or values, 2 the\n"
                          "library, the file, the preset, JACK, the screenshot or the display failed.\n";
// Exit codes: kExitOk, kExitUsage and kExitFailure, as the command-line tool's.

int UsageError(const std::string& sText)
{
    std::fprintf(stderr, "vantor-editor: %s (see --help)\n", sText.c_str());
    return kExitUsage;
}

int ModeOf(const std::string& sMode)
{
    static const std::map<std::string, int> modes
        = { { "eq", 0 }, { "compressor", 1 }, { "limiter", 2 }, { "clipper", 3 }, { "chain", 4 } };
    const auto it = modes.find(sMode);
    if (it != modes.end())
        return it->second;
    if (sMode.size() == 1 && sMode[0] >= '0' && sMode[0] <= '4')
        return sMode[0] - '0';
    return -1;
}

std::string FindLibrary()
{
    if (const char* pszPath = std::getenv("VANTOR_LIBRARY"))
        return pszPath;
    const std::string sHere = platform::GetModuleFolder();
    for (const std::string& sPath :
        { sHere + "../lib/vantor/Vantor.vpa", sHere + "../bundle/Vantor.vpa", CVpaLibrary::DefaultPath() })
        if (platform::FileExists(sPath))
            return sPath;
    return CVpaLibrary::DefaultPath();
}

double ThreadCpuSeconds()
{
    timespec time {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + time.tv_nsec / 1e9;
}

// Ends the main loop when the user closes the window.
class CQuitListener : public platform::IWindowListener {
public:
    void OnWindowEvent(const platform::SWindowEvent& event) override
    {
        if (event.eType == platform::SWindowEvent::kClose)
            mbQuit = true;
    }
    bool mbQuit = false;
};

struct SOptions {
    int nMode = 4;
    std::string sScreenshot;
    double fAfter = -1.0;
    std::string sLibrary;
    std::string sAudio;
    bool bCpu = false;
    bool bPrintChanges = false;
    bool bJack = true;
    bool bConnect = true;
    bool bPrintTexts = false;
    std::string sPreset;
    std::vector<std::string> sets; // NAME=VALUE, in the order given
};

int ParseOptions(int argc, char** argv, SOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string sArgument = argv[i];
        auto value = [&](std::string& sValue) {
            if (i + 1 >= argc)
                return false;
            sValue = argv[++i];
            return true;
        };
        std::string sValue;
        if (sArgument == "--help" || sArgument == "-h") {
            std::fputs(kHelp, stdout);
            return kExitOk;
        } else if (sArgument == "--mode") {
            if (!value(sValue) || (options.nMode = ModeOf(sValue)) < 0)
                return UsageError("--mode needs chain, eq, compressor, limiter, clipper or 0 to 4");
        } else if (sArgument == "--screenshot") {
            if (!value(options.sScreenshot))
                return UsageError("--screenshot needs a file name");
        } else if (sArgument == "--after") {
            char* pEnd = nullptr;
            if (!value(sValue) || (options.fAfter = std::strtod(sValue.c_str(), &pEnd)) < 0.0 || *pEnd != '\0')
                return UsageError("--after needs a number of seconds");
        } else if (sArgument == "--library") {
            if (!value(options.sLibrary))
                return UsageError("--library needs a path");
        } else if (sArgument == "--preset") {
            if (!value(options.sPreset) || options.sPreset.empty())
                return UsageError("--preset needs a preset name or file");
        } else if (sArgument == "--set") {
            if (!value(sValue))
                return UsageError("--set needs NAME=VALUE");
            options.sets.push_back(sValue);
        } else if (sArgument == "--print-texts") {
            options.bPrintTexts = true;
        } else if (sArgument == "--print-changes") {
            options.bPrintChanges = true;
        } else if (sArgument == "--no-jack") {
            options.bJack = false;
        } else if (sArgument == "--no-connect") {
            options.bConnect = false;
        } else if (sArgument == "--cpu") {
            options.bCpu = true;
        } else if (!sArgument.empty() && sArgument[0] == '-') {
            return UsageError("unknown option " + sArgument);
        } else if (options.sAudio.empty()) {
            options.sAudio = sArgument;
        } else {
            return UsageError("only one audio file can be played");
        }
    }
    if (!options.sScreenshot.empty() && options.fAfter < 0.0)
        options.fAfter = 1.0;
    return -1;
}

// --preset and --set, read and applied by the command-line tool's own code
// so that both programs take the same names, values and preset files.
// Returns -1 when done, else the exit status; sPresetPath gets the preset's file.
int ApplySettings(
    const SOptions& options, const std::string& sLibrary, vpa::IProcess& process, std::string& sPresetPath)
{
    if (options.sPreset.empty() && options.sets.empty())
        return -1;
    try {
        ::setenv("VANTOR_LIBRARY", sLibrary.c_str(), 1);
        CVantorEngine engine;
        engine.Load();
        const CPresetStore store(engine.GetPresetsFolder());
        SSettingsRequest request;
        request.nMode = static_cast<unsigned>(options.nMode);
        request.sPreset = options.sPreset;
        request.sets = options.sets;
        CProcessSettings settings;
        settings.Prepare(request, engine, store);
        for (const std::string& sWarning : settings.GetWarnings())
            std::fprintf(stderr, "vantor-editor: %s\n", sWarning.c_str());
        settings.Apply(process);
        if (!options.sPreset.empty())
            sPresetPath = store.Resolve(options.sPreset);
    } catch (const CToolError& error) {
        std::fprintf(stderr, "vantor-editor: %s\n", error.what());
        return error.GetExitCode() == kExitUsage ? kExitUsage : kExitFailure;
    }
    return -1;
}

// --print-texts: the editor built off-screen, its value texts on stdout.
int PrintTexts(vpa::IGUI& editor)
{
    IVantorEmbeddedEditor* pEmbedded = FindEmbeddedEditor(&editor);
    if (pEmbedded == nullptr) {
        std::fprintf(stderr, "vantor-editor: the library's editor cannot list its texts\n");
        return kExitFailure;
    }
    pEmbedded->SetUnattended(true);
    editor.Open(nullptr, 0, 0);
    const std::string sTexts = pEmbedded->ListValueTexts();
    editor.Close();
    if (sTexts.empty()) {
        std::fprintf(stderr, "vantor-editor: the editor shows no texts (its skin could not be used)\n");
        return kExitFailure;
    }
    std::fputs(sTexts.c_str(), stdout);
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    SOptions options;
    const int nParsed = ParseOptions(argc, argv, options);
    if (nParsed >= 0)
        return nParsed;
    const char* pszDisplay = std::getenv("DISPLAY");
    if (!options.bPrintTexts && (pszDisplay == nullptr || *pszDisplay == '\0')) {
        std::fprintf(stderr, "vantor-editor: no display to open a window on (DISPLAY is not set)\n");
        return kExitFailure;
    }

    CAudioPlayer player;
    std::string sError;
    if (!options.sAudio.empty() && !player.Load(options.sAudio, sError)) {
        std::fprintf(stderr, "vantor-editor: cannot play %s: %s\n", options.sAudio.c_str(), sError.c_str());
        return kExitFailure;
    }
    if (player.IsLoaded()) {
        if (options.bJack && player.OpenJack("vantor-editor", sError))
            std::fprintf(stderr, "vantor-editor: playing through JACK as %s at %.0f Hz\n",
                player.GetJackClientName().c_str(), player.GetSampleRate());
        else
            std::fprintf(stderr, "vantor-editor: %s; playing at real-time pace without sound\n",
                options.bJack ? sError.c_str() : "JACK not used");
    }

    CVpaLibrary library;
    const std::string sLibrary = options.sLibrary.empty() ? FindLibrary() : options.sLibrary;
    if (!library.Load(sLibrary)) {
        std::fprintf(stderr, "vantor-editor: cannot load %s: %s\n", sLibrary.c_str(), library.GetError().c_str());
        return kExitFailure;
    }
    CVpaHost host;
    if (options.bPrintChanges)
        host.SetParameterListener([](int nIndex, int nValue) {
            std::printf("parameter %d = %d\n", nIndex, nValue);
            std::fflush(stdout);
        });
    unsigned nVersion = 0;
    vpa::IPlugIn* pPlugIn = library.CreatePlugIn(&host, &nVersion);
    vpa::IProcess* pProcess
        = pPlugIn != nullptr ? pPlugIn->CreateProcess(static_cast<unsigned>(options.nMode)) : nullptr;
    std::string sPresetPath;
    int nStatus = pProcess != nullptr ? ApplySettings(options, sLibrary, *pProcess, sPresetPath) : -1;
    vpa::IGUI* pEditor = pProcess != nullptr && nStatus < 0 ? pPlugIn->CreateGUI(pProcess) : nullptr;
    if (pEditor == nullptr) {
        if (nStatus < 0) {
            std::fprintf(stderr, "vantor-editor: %s made no editor\n", sLibrary.c_str());
            nStatus = kExitFailure;
        }
        if (pProcess != nullptr)
            pProcess->DestroySelf();
        if (pPlugIn != nullptr)
            pPlugIn->DestroySelf();
        return nStatus;
    }
    // The strip names the preset given, marked when --set changed it.
    if (!sPresetPath.empty())
        if (IVantorEmbeddedEditor* pEmbedded = FindEmbeddedEditor(pEditor))
            pEmbedded->SetCurrentPreset(sPresetPath, !options.sets.empty());
    if (options.bPrintTexts) {
        nStatus = PrintTexts(*pEditor);
        pEditor->DestroySelf();
        pProcess->DestroySelf();
        pPlugIn->DestroySelf();
        return nStatus;
    }
    // A screenshot is taken with nobody at the screen: no box may wait.
    if (!options.sScreenshot.empty())
        if (IVantorEmbeddedEditor* pEmbedded = FindEmbeddedEditor(pEditor))
            pEmbedded->SetUnattended(true);
    const unsigned nChannels = player.GetChannels() != 0 ? player.GetChannels() : 2;
    pProcess->SetNrOfChannelsIn(nChannels);
    pProcess->SetNrOfChannelsOut(nChannels);
    pProcess->SetMaxBufferSize(CAudioPlayer::kMaxBlockFrames);
    pProcess->SetSampleFreq(player.GetSampleRate() > 0 ? player.GetSampleRate() : 44100.0f);
    pProcess->Start();

    long nWidth = 0, nHeight = 0;
    pEditor->GetSize(nWidth, nHeight);
    nStatus = kExitOk;
    std::unique_ptr<platform::IWindow> pWindow
        = platform::OpenTopLevelWindow("Vantor", static_cast<int>(nWidth), static_cast<int>(nHeight), sError);
    if (!pWindow) {
        std::fprintf(stderr, "vantor-editor: cannot open a window: %s\n", sError.c_str());
        nStatus = kExitFailure;
    } else {
        CQuitListener listener;
        pEditor->Open(reinterpret_cast<void*>(pWindow->GetHandle()), 0, 0);
        if (!player.Start(pProcess, options.bConnect, sError)) {
            std::fprintf(stderr, "vantor-editor: cannot play through JACK: %s\n", sError.c_str());
            nStatus = kExitFailure;
            listener.mbQuit = true;
        }

        // The host's side of the editor: Idle every 10 ms.
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        const double fCpuStart = ThreadCpuSeconds();
        auto next = start;
        while (!listener.mbQuit) {
            pWindow->PumpEvents(listener);
            pEditor->Idle();
            if (player.FallBackIfJackLost())
                std::fprintf(stderr, "vantor-editor: the JACK server went away; playing on at real-time pace\n");
            const double fElapsed = std::chrono::duration<double>(Clock::now() - start).count();
            if (options.fAfter >= 0.0 && fElapsed >= options.fAfter)
                break;
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
        const double fSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double fCpu = ThreadCpuSeconds() - fCpuStart;

        if (!options.sScreenshot.empty()) {
            std::vector<uint32_t> pixels(static_cast<size_t>(nWidth) * nHeight);
            // Let the editor's last picture reach the server before reading.
            pEditor->Paint();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!pWindow->Capture(pixels.data())
                || !WritePngFile(options.sScreenshot, pixels, static_cast<int>(nWidth), static_cast<int>(nHeight))) {
                std::fprintf(stderr, "vantor-editor: cannot write %s\n", options.sScreenshot.c_str());
                nStatus = kExitFailure;
            }
        }
        if (options.bCpu)
            std::printf("editor thread: %.3f s CPU in %.1f s (%.2f %% of one core)\n", fCpu, fSeconds,
                fSeconds > 0 ? 100.0 * fCpu / fSeconds : 0.0);
        player.Stop();
        pEditor->Close();
    }
    pEditor->DestroySelf();
    pProcess->DestroySelf();
    pPlugIn->DestroySelf();
    return nStatus;
}
