// Runs the built vantor as a user would, and reads and writes the audio
// files the runs work on.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

struct SToolRun {
    int nExitCode = -1; // -1 when the tool died of a signal
    int nSignal = 0;
    std::string sOut, sErr;
};

struct SToolOptions {
    std::string sStdin; // a file for standard input, or ""
    std::vector<std::pair<std::string, std::string>> env; // extra environment
    long long nFileSizeLimit = 0; // bytes; 0 for none
    std::string sProgram = "vantor"; // or "vantor-editor"
};

inline std::string ReadText(const std::string& sPath)
{
    std::ifstream file(sPath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// vantor ARGS..., in sFolder (which holds the captured output afterwards).
inline SToolRun RunTool(
    const std::string& sFolder, const std::vector<std::string>& args, const SToolOptions& options = SToolOptions())
{
    const std::string sOut = sFolder + "/.stdout", sErr = sFolder + "/.stderr";
    const pid_t nChild = ::fork();
    if (nChild == 0) {
        const int nOut = ::open(sOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nErr = ::open(sErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nIn = ::open(options.sStdin.empty() ? "/dev/null" : options.sStdin.c_str(), O_RDONLY);
        ::dup2(nOut, 1);
        ::dup2(nErr, 2);
        ::dup2(nIn, 0);
        for (const auto& variable : options.env)
            ::setenv(variable.first.c_str(), variable.second.c_str(), 1);
        if (options.nFileSizeLimit > 0) {
            // Writes past the limit fail with EFBIG, as on a full disk.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit
                = { static_cast<rlim_t>(options.nFileSizeLimit), static_cast<rlim_t>(options.nFileSizeLimit) };
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
        std::string sTool = VANTOR_BIN_DIR "/" + options.sProgram;
        argv.push_back(sTool.data());
        std::vector<std::string> copies(args);
        for (std::string& sArg : copies)
            argv.push_back(sArg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    SToolRun run;
    int nStatus = 0;
    while (::waitpid(nChild, &nStatus, 0) < 0 && errno == EINTR) { }
    if (WIFEXITED(nStatus))
        run.nExitCode = WEXITSTATUS(nStatus);
    else if (WIFSIGNALED(nStatus))
        run.nSignal = WTERMSIG(nStatus);
    run.sOut = ReadText(sOut);
    run.sErr = ReadText(sErr);
    ::unlink(sOut.c_str());
    ::unlink(sErr.c_str());
    return run;
}

struct SAudio {
    int nRate = 44100;
    int nChannels = 2;
    int nFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    std::vector<float> samples; // interleaved
    long long Frames() const { return static_cast<long long>(samples.size()) / nChannels; }
};

inline bool WriteAudio(const std::string& sPath, const SAudio& audio, const char* pszTitle = nullptr)
{
    SF_INFO info {};
    info.samplerate = audio.nRate;
    info.channels = audio.nChannels;
    info.format = audio.nFormat;
    SNDFILE* pFile = sf_open(sPath.c_str(), SFM_WRITE, &info);
    if (pFile == nullptr)
        return false;
    if (pszTitle != nullptr)
        sf_set_string(pFile, SF_STR_TITLE, pszTitle);
    const bool bOk = sf_writef_float(pFile, audio.samples.data(), audio.Frames()) == audio.Frames();
    return sf_close(pFile) == 0 && bOk;
}

inline SAudio ReadAudio(const std::string& sPath, std::string* psTitle = nullptr)
{
    SAudio audio;
    SF_INFO info {};
    SNDFILE* pFile = sf_open(sPath.c_str(), SFM_READ, &info);
    if (pFile == nullptr)
        return audio;
    audio.nRate = info.samplerate;
    audio.nChannels = info.channels;
    audio.nFormat = info.format;
    audio.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(pFile, audio.samples.data(), info.frames);
    if (psTitle != nullptr) {
        const char* pszTitle = sf_get_string(pFile, SF_STR_TITLE);
        *psTitle = pszTitle != nullptr ? pszTitle : "";
    }
    sf_close(pFile);
    return audio;
}

// Deterministic noise at about -12 dBFS, seeded so failures reproduce.
inline SAudio Noise(long long nFrames, int nChannels = 2, unsigned nSeed = 1)
{
    SAudio audio;
    audio.nChannels = nChannels;
    audio.samples.resize(static_cast<size_t>(nFrames * nChannels));
    uint32_t nState = nSeed * 2654435761u + 1u;
    for (float& f : audio.samples) {
        nState ^= nState << 13;
        nState ^= nState >> 17;
        nState ^= nState << 5;
        f = static_cast<float>(nState / 4294967296.0 - 0.5) * 0.5f;
    }
    return audio;
}
