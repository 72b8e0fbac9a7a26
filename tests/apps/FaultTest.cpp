// The tool under faults: full disks in every output format, signals in the
// middle of a run, inputs that can be read only once, damaged inputs, and
// names and messages that used to come out wrong.
#include "Sanitized.h"
#include "TestFolder.h"
#include "ToolRun.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <pty.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/stat.h>
#include <thread>

namespace {

const char* const kFormats[] = { "wav", "aiff", "flac", "ogg" };

int ContainerOf(const std::string& sExtension)
{
    return sExtension == "wav" ? SF_FORMAT_WAV | SF_FORMAT_FLOAT
        : sExtension == "aiff" ? SF_FORMAT_AIFF | SF_FORMAT_PCM_24
        : sExtension == "flac" ? SF_FORMAT_FLAC | SF_FORMAT_PCM_24
                               : SF_FORMAT_OGG | SF_FORMAT_VORBIS;
}

// Three seconds of music-like noise in the given format.
std::string MakeInput(const CTestFolder& folder, const std::string& sExtension, long long nFrames = 3 * 44100)
{
    SAudio audio = Noise(nFrames);
    audio.nFormat = ContainerOf(sExtension);
    const std::string sPath = folder.Path("in." + sExtension);
    EXPECT_TRUE(WriteAudio(sPath, audio));
    return sPath;
}

std::vector<std::string> TemporaryFilesIn(const std::string& sFolder)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(sFolder)) {
        if (entry.path().filename().string().find(".vantor-") != std::string::npos)
            found.push_back(entry.path().string());
    }
    return found;
}

// In a forked child: becomes vantor ARGS...
[[noreturn]] void ExecTool(const std::vector<std::string>& args)
{
    std::vector<std::string> copies(args);
    std::string sTool = VANTOR_BIN_DIR "/vantor";
    std::vector<char*> argv { sTool.data() };
    for (std::string& sArg : copies)
        argv.push_back(sArg.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// vantor in the background, its standard input and output on pipes the test
// holds, and an extra descriptor as fd 3 when asked.
struct SBackgroundTool {
    pid_t nPid = -1;
    int nStdin = -1; // the test's end, -1 when not a pipe
    int nStdout = -1; // the test's end, -1 when not a pipe
};

SBackgroundTool StartTool(
    const std::string& sFolder, const std::vector<std::string>& args, bool bPipeIn, bool bPipeOut, int nExtra = -1)
{
    int in[2] = { -1, -1 }, out[2] = { -1, -1 };
    if (bPipeIn) {
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
    }
    if (bPipeOut) {
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    }
    SBackgroundTool tool;
    tool.nPid = ::fork();
    if (tool.nPid == 0) {
        const int nNull = ::open("/dev/null", O_RDWR);
        const int nErr = ::open((sFolder + "/.stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(bPipeIn ? in[0] : nNull, 0);
        ::dup2(bPipeOut ? out[1] : nNull, 1);
        ::dup2(nErr, 2);
        if (nExtra >= 0)
            ::dup2(nExtra, 3);
        ExecTool(args);
    }
    if (bPipeIn) {
        ::close(in[0]);
        tool.nStdin = in[1];
    }
    if (bPipeOut) {
        ::close(out[1]);
        tool.nStdout = out[0];
    }
    return tool;
}

// The exit code (or 1000 + the signal that killed it), and the peak resident size.
int WaitForTool(const SBackgroundTool& tool, long* pnPeakKiB = nullptr)
{
    int nStatus = 0;
    rusage usage {};
    while (::wait4(tool.nPid, &nStatus, 0, &usage) < 0 && errno == EINTR) { }
    if (pnPeakKiB != nullptr)
        *pnPeakKiB = usage.ru_maxrss;
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 1000 + WTERMSIG(nStatus);
}

bool WriteAllTo(int nDescriptor, const std::string& sBytes)
{
    size_t nDone = 0;
    while (nDone < sBytes.size()) {
        const ssize_t n = ::write(nDescriptor, sBytes.data() + nDone, sBytes.size() - nDone);
        if (n <= 0)
            return false;
        nDone += static_cast<size_t>(n);
    }
    return true;
}

template <typename Condition> bool WaitFor(Condition condition, double fSeconds = 20.0)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(fSeconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }
    std::string Path(const std::string& sName) const { return mFolder.Path(sName); }
    CTestFolder mFolder;
};

TEST_F(Faults, AFullDiskFailsEveryFormatAndKeepsThePreviousOutput)
{
    for (const char* pszFormat : kFormats) {
        SCOPED_TRACE(pszFormat);
        const std::string sInput = MakeInput(mFolder, "wav");
        const std::string sOutput = Path(std::string("out.") + pszFormat);
        ASSERT_EQ(RunTool(mFolder.Root(), { "master", "-q", "-f", sInput, sOutput }).nExitCode, 0);
        const long long nSize = static_cast<long long>(std::filesystem::file_size(sOutput));
        // Half way through the audio, and in the encoder's last writes.
        for (const long long nLimit : { nSize / 2, nSize - 1500, nSize - 1 }) {
            SCOPED_TRACE(nLimit);
            WriteBytes(sOutput, "the previous master");
            SToolOptions options;
            options.nFileSizeLimit = nLimit;
            const SToolRun run = RunTool(mFolder.Root(), { "master", "-q", "-f", sInput, sOutput }, options);
            EXPECT_EQ(run.nExitCode, 2) << run.sErr;
            EXPECT_NE(run.sErr.find("File too large"), std::string::npos) << run.sErr;
            EXPECT_EQ(ReadText(sOutput), "the previous master");
            EXPECT_TRUE(TemporaryFilesIn(mFolder.Root()).empty());
        }
    }
}

TEST_F(Faults, AFullFileSystemFailsInTheLastPageAndKeepsThePreviousOutput)
{
    const std::string sMount = Path("small");
    std::filesystem::create_directory(sMount);
    if (::mount("tmpfs", sMount.c_str(), "tmpfs", 0, "size=8m") != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
    for (const char* pszFormat : kFormats) {
        SCOPED_TRACE(pszFormat);
        const std::string sInput = MakeInput(mFolder, "wav");
        const std::string sOutput = sMount + "/out." + pszFormat;
        ASSERT_EQ(RunTool(mFolder.Root(), { "master", "-q", "-f", sInput, sOutput }).nExitCode, 0);
        const long long nPages = (static_cast<long long>(std::filesystem::file_size(sOutput)) + 4095) / 4096;
        WriteBytes(sOutput, "the previous master");
        // Leave room for all but the output's last page.
        struct statvfs info;
        ASSERT_EQ(::statvfs(sMount.c_str(), &info), 0);
        const long long nFree = static_cast<long long>(info.f_bavail) * static_cast<long long>(info.f_bsize);
        WriteBytes(sMount + "/filler", std::string(static_cast<size_t>(nFree - (nPages - 1) * 4096), 'x'));
        const SToolRun run = RunTool(mFolder.Root(), { "master", "-q", "-f", sInput, sOutput });
        EXPECT_EQ(run.nExitCode, 2) << run.sErr;
        EXPECT_NE(run.sErr.find("No space left on device"), std::string::npos) << run.sErr;
        EXPECT_EQ(ReadText(sOutput), "the previous master");
        EXPECT_TRUE(TemporaryFilesIn(sMount).empty());
        std::filesystem::remove(sMount + "/filler");
    }
    ::umount(sMount.c_str());
}

TEST_F(Faults, SignalsRemoveEveryTemporaryFileAndExitWith128PlusTheSignal)
{
    const std::string sInput = MakeInput(mFolder, "wav", 20 * 44100);
    const std::string sBytes = ReadText(sInput);
    std::filesystem::create_directory(Path("out"));
    for (const int nSignal : { SIGINT, SIGTERM, SIGHUP }) {
        SCOPED_TRACE(nSignal);
        // One file from standard input, held half way.
        WriteBytes(Path("out/single.wav"), "keep me");
        SBackgroundTool single
            = StartTool(mFolder.Root(), { "master", "-q", "-f", "-", Path("out/single.wav") }, true, false);
        ASSERT_TRUE(WriteAllTo(single.nStdin, sBytes.substr(0, sBytes.size() / 2)));
        EXPECT_TRUE(WaitFor([&] { return !TemporaryFilesIn(Path("out")).empty(); }));
        ::kill(single.nPid, nSignal);
        EXPECT_EQ(WaitForTool(single), 128 + nSignal);
        ::close(single.nStdin);
        EXPECT_TRUE(TemporaryFilesIn(Path("out")).empty());
        EXPECT_EQ(ReadText(Path("out/single.wav")), "keep me");

        // A batch of two workers, each reading a named pipe held half way.
        std::vector<std::string> pipes = { Path("a.wav"), Path("b.wav") };
        for (const std::string& sPipe : pipes) {
            std::filesystem::remove(sPipe);
            ASSERT_EQ(::mkfifo(sPipe.c_str(), 0600), 0);
        }
        WriteBytes(Path("out/a.wav"), "keep me");
        SBackgroundTool batch = StartTool(
            mFolder.Root(), { "master", "-q", "-f", "-j", "2", "-d", Path("out"), pipes[0], pipes[1] }, false, false);
        std::vector<std::thread> feeders;
        std::atomic<int> nFed { 0 };
        for (const std::string& sPipe : pipes) {
            feeders.emplace_back([&, sPipe] {
                const int nDescriptor = ::open(sPipe.c_str(), O_WRONLY);
                WriteAllTo(nDescriptor, sBytes.substr(0, sBytes.size() / 2));
                ++nFed;
                WaitFor([&] { return nFed < 0; });
                ::close(nDescriptor);
            });
        }
        EXPECT_TRUE(WaitFor([&] { return TemporaryFilesIn(Path("out")).size() == 2; }));
        ::kill(batch.nPid, nSignal);
        EXPECT_EQ(WaitForTool(batch), 128 + nSignal);
        nFed = -100;
        for (std::thread& feeder : feeders)
            feeder.join();
        EXPECT_TRUE(TemporaryFilesIn(Path("out")).empty());
        EXPECT_EQ(ReadText(Path("out/a.wav")), "keep me");
        EXPECT_FALSE(std::filesystem::exists(Path("out/b.wav")));
    }
}

TEST_F(Faults, NamedPipesProcessSubstitutionAndStandardInputAreReadOnce)
{
    for (const char* pszFormat : { "flac", "wav", "ogg" }) {
        SCOPED_TRACE(pszFormat);
        const std::string sInput = MakeInput(mFolder, pszFormat);
        const std::string sBytes = ReadText(sInput);
        const std::string sExpected = Path("expected.wav");
        ASSERT_EQ(RunTool(mFolder.Root(), { "master", "-q", "-f", sInput, sExpected }).nExitCode, 0);
        const SAudio expected = ReadAudio(sExpected);

        // A named pipe.
        const std::string sPipe = Path("pipe");
        std::filesystem::remove(sPipe);
        ASSERT_EQ(::mkfifo(sPipe.c_str(), 0600), 0);
        std::thread feeder([&] {
            const int nDescriptor = ::open(sPipe.c_str(), O_WRONLY);
            WriteAllTo(nDescriptor, sBytes);
            ::close(nDescriptor);
        });
        const SToolRun named = RunTool(mFolder.Root(), { "master", "-q", "-f", sPipe, Path("named.wav") });
        feeder.join();
        EXPECT_EQ(named.nExitCode, 0) << named.sErr;

        // Process substitution: a pipe handed over as /dev/fd/3.
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        const int nReadEnd = ::fcntl(fds[0], F_DUPFD, 10); // without close-on-exec
        ::close(fds[0]);
        SBackgroundTool substituted = StartTool(
            mFolder.Root(), { "master", "-q", "-f", "/dev/fd/3", Path("substituted.wav") }, false, false, nReadEnd);
        ::close(nReadEnd);
        EXPECT_TRUE(WriteAllTo(fds[1], sBytes));
        ::close(fds[1]);
        EXPECT_EQ(WaitForTool(substituted), 0) << ReadText(Path(".stderr"));

        // Standard input.
        SToolOptions options;
        options.sStdin = sInput;
        const SToolRun piped = RunTool(mFolder.Root(), { "master", "-q", "-f", "-", Path("stdin.wav") }, options);
        EXPECT_EQ(piped.nExitCode, 0) << piped.sErr;

        for (const char* pszName : { "named.wav", "substituted.wav", "stdin.wav" })
            EXPECT_EQ(ReadAudio(Path(pszName)).samples, expected.samples) << pszName;
    }
}

TEST_F(Faults, TenMinutesStreamThroughPipesInBoundedMemory)
{
    // A 16-bit 48 kHz stereo WAV made on the fly, never on disk.
    constexpr long long kFrames = 10LL * 60 * 48000;
    std::string sHeader(44, '\0');
    auto Put = [&](size_t nAt, uint32_t nValue, int nBytes) {
        for (int i = 0; i < nBytes; ++i)
            sHeader[nAt + i] = static_cast<char>(nValue >> (8 * i));
    };
    std::memcpy(&sHeader[0], "RIFF", 4);
    Put(4, static_cast<uint32_t>(36 + kFrames * 4), 4);
    std::memcpy(&sHeader[8], "WAVEfmt ", 8);
    Put(16, 16, 4);
    Put(20, 1, 2);
    Put(22, 2, 2);
    Put(24, 48000, 4);
    Put(28, 48000 * 4, 4);
    Put(32, 4, 2);
    Put(34, 16, 2);
    std::memcpy(&sHeader[36], "data", 4);
    Put(40, static_cast<uint32_t>(kFrames * 4), 4);

    SBackgroundTool tool = StartTool(mFolder.Root(), { "master", "-", "-" }, true, true);
    std::atomic<long long> nReceived { 0 };
    std::thread reader([&] {
        char buffer[1 << 16];
        ssize_t n;
        while ((n = ::read(tool.nStdout, buffer, sizeof(buffer))) > 0)
            nReceived += n;
    });
    bool bOutputBeforeEnd = false;
    {
        ASSERT_TRUE(WriteAllTo(tool.nStdin, sHeader));
        std::string sBlock(1 << 16, '\0');
        uint32_t nState = 12345;
        const long long nBytes = kFrames * 4;
        for (long long nDone = 0; nDone < nBytes; nDone += static_cast<long long>(sBlock.size())) {
            // The last megabyte waits until mastered audio has come out.
            if (nBytes - nDone <= (1 << 20) && !bOutputBeforeEnd)
                bOutputBeforeEnd = WaitFor([&] { return nReceived > 0; }, 60.0);
            for (size_t i = 0; i < sBlock.size(); i += 2) {
                nState = nState * 1664525u + 1013904223u;
                const int16_t nSample = static_cast<int16_t>(static_cast<int32_t>(nState >> 16) / 4 - 4096);
                std::memcpy(&sBlock[i], &nSample, 2);
            }
            const size_t nTake
                = static_cast<size_t>(std::min<long long>(static_cast<long long>(sBlock.size()), nBytes - nDone));
            ASSERT_TRUE(WriteAllTo(tool.nStdin, sBlock.substr(0, nTake)));
        }
        ::close(tool.nStdin);
    }
    long nPeakKiB = 0;
    EXPECT_EQ(WaitForTool(tool, &nPeakKiB), 0) << ReadText(Path(".stderr"));
    reader.join();
    ::close(tool.nStdout);
    EXPECT_TRUE(bOutputBeforeEnd) << "the output came only after the input ended";
    EXPECT_GE(nReceived.load(), kFrames * 4);
    EXPECT_LT(nReceived.load(), kFrames * 4 + 4096);
    EXPECT_NE(ReadText(Path(".stderr")).find("Integrated loudness"), std::string::npos);
    std::printf("peak resident size of the pipe run: %.1f MB\n", nPeakKiB / 1024.0);
    if (!kSanitized) {
        EXPECT_LT(nPeakKiB, 64 * 1024);
    }
}

TEST_F(Faults, DamagedInputsAreMasteredWithAWarningAndExit3)
{
    struct SCase {
        std::string sFormat;
        bool bCut; // else a stretch in the middle is lost
        bool bThroughStdin;
        std::string sWords;
    };
    const SCase cases[] = {
        { "wav", true, false, "promises 132300 frames" },
        { "wav", true, true, "promises 132300 frames" },
        { "aiff", true, false, "promises 132300 frames" },
        { "flac", true, false, "promises 132300 frames" },
        { "flac", false, false, "promises 132300 frames" },
        { "ogg", true, false, "stops before its last page" },
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(
            test.sFormat + (test.bCut ? " cut" : " with a lost stretch") + (test.bThroughStdin ? " on stdin" : ""));
        std::string sBytes = ReadText(MakeInput(mFolder, test.sFormat));
        if (test.bCut)
            sBytes.resize(sBytes.size() / 2);
        else
            std::fill(sBytes.begin() + static_cast<long>(sBytes.size() / 2),
                sBytes.begin() + static_cast<long>(sBytes.size() / 2 + 3000), '\0');
        const std::string sDamaged = Path("damaged." + test.sFormat);
        WriteBytes(sDamaged, sBytes);
        SToolOptions options;
        if (test.bThroughStdin)
            options.sStdin = sDamaged;
        const std::string sOutput = Path("out.wav");
        const SToolRun run = RunTool(mFolder.Root(),
            { "master", "-f", "--report", "json", test.bThroughStdin ? "-" : sDamaged, sOutput }, options);
        EXPECT_EQ(run.nExitCode, 3) << run.sErr;
        EXPECT_NE(run.sErr.find(test.sWords), std::string::npos) << run.sErr;
        // The warning names what was read, and the output holds exactly that.
        const long long nFrames = ReadAudio(sOutput).Frames();
        EXPECT_GT(nFrames, 0);
        EXPECT_LT(nFrames, 132300);
        EXPECT_NE(run.sErr.find(std::to_string(nFrames) + " "), std::string::npos) << run.sErr;
        EXPECT_NE(run.sOut.find("\"warnings\": [\"" + (test.bThroughStdin ? std::string("standard input") : "'")),
            std::string::npos)
            << run.sOut;
    }
    // A whole file gives no warning.
    const SToolRun whole
        = RunTool(mFolder.Root(), { "master", "-q", "-f", MakeInput(mFolder, "ogg"), Path("out.wav") });
    EXPECT_EQ(whole.nExitCode, 0) << whole.sErr;
}

TEST_F(Faults, NamesAndMessagesComeOutRight)
{
    const std::string sInput = MakeInput(mFolder, "wav");
    // The longest name a folder takes still works as an output.
    const std::string sLong = Path(std::string(250, 'n') + ".wav");
    const SToolRun longName = RunTool(mFolder.Root(), { "master", "-q", sInput, sLong });
    EXPECT_EQ(longName.nExitCode, 0) << longName.sErr;
    EXPECT_TRUE(std::filesystem::exists(sLong));

    // A name that is not UTF-8 leaves the report valid JSON, and Python gets the bytes back.
    const std::string sLatin1 = Path("caf\xe9.wav");
    std::filesystem::copy_file(sInput, sLatin1);
    const SToolRun json = RunTool(mFolder.Root(), { "master", "--analyze", "--report", "json", sLatin1 });
    ASSERT_EQ(json.nExitCode, 0) << json.sErr;
    WriteBytes(Path("report.json"), json.sOut);
    WriteBytes(Path("check.py"),
        "import json, os, sys\n"
        "name = json.load(open(sys.argv[1], encoding='utf-8'))['files'][0]['input']\n"
        "sys.exit(0 if os.fsencode(name).endswith(b'caf\\xe9.wav') else 1)\n");
    EXPECT_EQ(std::system(("python3 " + Path("check.py") + " " + Path("report.json")).c_str()), 0) << json.sOut;

    // The input is checked before the output.
    WriteBytes(Path("taken.wav"), "keep me");
    const SToolRun missing = RunTool(mFolder.Root(), { "master", Path("missing.wav"), Path("taken.wav") });
    EXPECT_EQ(missing.nExitCode, 2);
    EXPECT_NE(missing.sErr.find("No such file"), std::string::npos) << missing.sErr;

    // A failed preset save says why.
    SToolOptions small;
    small.nFileSizeLimit = 100;
    const SToolRun preset = RunTool(mFolder.Root(), { "preset", "save", "-o", Path("p.ryxp") }, small);
    EXPECT_EQ(preset.nExitCode, 2);
    EXPECT_NE(preset.sErr.find("File too large"), std::string::npos) << preset.sErr;

    // Audio on standard output follows what is there already, even in a
    // file opened for appending.
    const std::string sCombined = Path("combined.bin");
    ASSERT_EQ(std::system(("{ printf HEAD; " VANTOR_BIN_DIR "/vantor master -q '" + sInput + "' -; printf TAIL; } > '"
                  + sCombined + "' && " VANTOR_BIN_DIR "/vantor master -q '" + sInput + "' - >> '" + sCombined + "'")
                              .c_str()),
        0);
    const std::string sBytes = ReadText(sCombined);
    const size_t nOne = (sBytes.size() - 8) / 2;
    EXPECT_EQ(sBytes.substr(0, 4), "HEAD");
    EXPECT_EQ(sBytes.substr(4, 4), "RIFF");
    EXPECT_EQ(sBytes.substr(4 + nOne, 4), "TAIL");
    EXPECT_EQ(sBytes.substr(8 + nOne, 4), "RIFF");
    // Both whole; the appended one, written in order, has the header of a stream.
    const std::string sFirst = sBytes.substr(4, nOne), sSecond = sBytes.substr(8 + nOne);
    EXPECT_TRUE(sFirst.substr(sFirst.find("data") + 8) == sSecond.substr(sSecond.find("data") + 8));

    // The editor's exit codes mean what the tool's do.
    SToolOptions editor;
    editor.sProgram = "vantor-editor";
    editor.env = { { "DISPLAY", "" } };
    EXPECT_EQ(RunTool(mFolder.Root(), { "--wobble" }, editor).nExitCode, 1);
    EXPECT_EQ(RunTool(mFolder.Root(), { "--after", "0" }, editor).nExitCode, 2);
}

} // namespace

namespace {

// The tool on a terminal: standard error on a pseudo-terminal, standard
// input from a pipe the test feeds slowly. Returns what the terminal showed.
std::string ProgressOnATerminal(const std::vector<std::string>& args, const std::string& sInput)
{
    int in[2];
    EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
    int nTerminal = -1;
    const pid_t nChild = ::forkpty(&nTerminal, nullptr, nullptr, nullptr);
    if (nChild == 0) {
        ::dup2(in[0], 0);
        const int nNull = ::open("/dev/null", O_WRONLY);
        ::dup2(nNull, 1);
        ExecTool(args);
    }
    ::close(in[0]);
    std::string sShown;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(nTerminal, buffer, sizeof(buffer))) > 0)
            sShown.append(buffer, static_cast<size_t>(n));
    });
    // A second and a half, in slices, so the display draws several times.
    for (size_t nDone = 0; nDone < sInput.size();) {
        const size_t nSlice = std::min<size_t>(sInput.size() / 15 + 1, sInput.size() - nDone);
        WriteAllTo(in[1], sInput.substr(nDone, nSlice));
        nDone += nSlice;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::close(in[1]);
    int nStatus = 0;
    ::waitpid(nChild, &nStatus, 0);
    reader.join();
    ::close(nTerminal);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << sShown;
    return sShown;
}

TEST_F(Faults, TheProgressDisplayTakesItsTotalFromTheOpenInputOrShowsThePosition)
{
    const std::string sBytes = ReadText(MakeInput(mFolder, "wav", 20 * 44100));
    // A WAV header says how long it is: a bar with a share.
    const std::string sBar = ProgressOnATerminal({ "master", "-f", "-", Path("out.wav") }, sBytes);
    EXPECT_NE(sBar.find("%"), std::string::npos) << sBar;
    // A stream that does not say (an Ogg from a pipe): time and position.
    const std::string sOgg = ReadText(MakeInput(mFolder, "ogg", 20 * 44100));
    const std::string sClock = ProgressOnATerminal({ "master", "-f", "-", Path("out.ogg") }, sOgg);
    EXPECT_NE(sClock.find("elapsed 0:0"), std::string::npos) << sClock;
    EXPECT_NE(sClock.find(", position 0:"), std::string::npos) << sClock;
}

} // namespace
