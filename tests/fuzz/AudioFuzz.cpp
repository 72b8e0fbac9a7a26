// libFuzzer target for the command-line tool's audio reading: damaged WAV,
// AIFF, FLAC and Ogg headers and bodies through the reader, as a file (read
// where the decoder asks) or, when the first byte is odd, as a pipe (read
// once, forwards). Every input must end in audio, a clear error or a
// damage report, never a crash or a hang. Built with clang by `make fuzz`
// and `make fuzz-smoke`.
#include "apps/vantor/AudioReader.h"
#include "apps/vantor/ToolError.h"

#include <csignal>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// Every input fits in a pipe's buffer (libFuzzer runs with -max_len=65537),
// so the whole of it is written before the reader starts.
int Descriptor(const uint8_t* pData, size_t nSize, bool bPipe)
{
    int fds[2] = { -1, -1 };
    if (bPipe) {
        if (::pipe(fds) != 0)
            return -1;
    } else {
        fds[0] = fds[1] = ::memfd_create("audio", 0);
    }
    size_t nDone = 0;
    while (nDone < nSize) {
        const ssize_t n = ::write(fds[1], pData + nDone, nSize - nDone);
        if (n <= 0)
            break;
        nDone += static_cast<size_t>(n);
    }
    if (bPipe)
        ::close(fds[1]);
    return fds[0];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 1 || nSize > 65537)
        return 0;
    std::signal(SIGPIPE, SIG_IGN);
    const int nDescriptor = Descriptor(pData + 1, nSize - 1, (pData[0] & 1) != 0);
    if (nDescriptor < 0)
        return 0;
    try {
        CAudioReader reader;
        reader.Open("/dev/fd/" + std::to_string(nDescriptor));
        std::vector<float> block(4096 * static_cast<size_t>(reader.GetChannels()));
        // A header may promise hours; a few seconds tell all a fuzzer can find.
        while (reader.GetFramesRead() < 1000000 && reader.Read(block.data(), 4096) > 0) { }
        (void)reader.GetDamage();
    } catch (const CToolError&) { }
    ::close(nDescriptor);
    return 0;
}
