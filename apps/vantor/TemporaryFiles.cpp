#include "TemporaryFiles.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

const int kSignals[] = { SIGINT, SIGTERM, SIGHUP };
// ".NAME.vantor-XXXXXX" has to fit where NAME fits.
constexpr size_t kLongestName = NAME_MAX;
constexpr const char* kSuffix = ".vantor-XXXXXX";

// Created and published under the lock, so the signal thread sees every
// file that exists and none that was already renamed.
std::mutex& Lock()
{
    static std::mutex mutex;
    return mutex;
}

std::set<std::string>& Files()
{
    static std::set<std::string> files;
    return files;
}

sigset_t SignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int nSignal : kSignals)
        sigaddset(&set, nSignal);
    return set;
}

void WaitForSignals()
{
    const sigset_t set = SignalSet();
    int nSignal = 0;
    while (sigwait(&set, &nSignal) != 0) { }
    // From here a second signal takes its default course at once.
    for (int nOther : kSignals)
        std::signal(nOther, SIG_DFL);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    {
        std::lock_guard<std::mutex> lock(Lock());
        for (const std::string& sFile : Files())
            ::unlink(sFile.c_str());
    }
    _exit(128 + nSignal);
}

} // namespace

void CTemporaryFiles::HandleSignals()
{
    const sigset_t set = SignalSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread(WaitForSignals).detach();
}

int CTemporaryFiles::Create(const std::string& sPath, std::string& sTemporary)
{
    // Beside the output, so the rename that publishes it never crosses file
    // systems.
    const size_t nSlash = sPath.rfind('/');
    const std::string sFolder = nSlash == std::string::npos ? std::string() : sPath.substr(0, nSlash + 1);
    std::string sName = nSlash == std::string::npos ? sPath : sPath.substr(nSlash + 1);
    const size_t nRoom = kLongestName - 1 - std::char_traits<char>::length(kSuffix);
    if (sName.size() > nRoom)
        sName.resize(nRoom);
    std::string sTemplate = sFolder + "." + sName + kSuffix;
    std::lock_guard<std::mutex> lock(Lock());
    const int nDescriptor = ::mkostemp(sTemplate.data(), O_CLOEXEC);
    if (nDescriptor < 0)
        return -1;
    Files().insert(sTemplate);
    sTemporary = sTemplate;
    return nDescriptor;
}

int CTemporaryFiles::Publish(const std::string& sTemporary, const std::string& sPath, bool bReplace)
{
    std::lock_guard<std::mutex> lock(Lock());
    int nRenamed = bReplace ? ::rename(sTemporary.c_str(), sPath.c_str())
                            : ::renameat2(AT_FDCWD, sTemporary.c_str(), AT_FDCWD, sPath.c_str(), RENAME_NOREPLACE);
    if (nRenamed != 0 && !bReplace && (errno == EINVAL || errno == ENOSYS)) {
        // File systems without RENAME_NOREPLACE: a hard link refuses an existing name too.
        nRenamed = ::link(sTemporary.c_str(), sPath.c_str());
        if (nRenamed == 0)
            ::unlink(sTemporary.c_str());
    }
    if (nRenamed != 0)
        return errno;
    Files().erase(sTemporary);
    return 0;
}

void CTemporaryFiles::Remove(const std::string& sTemporary)
{
    std::lock_guard<std::mutex> lock(Lock());
    ::unlink(sTemporary.c_str());
    Files().erase(sTemporary);
}
