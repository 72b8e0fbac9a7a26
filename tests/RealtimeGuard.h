// The real-time guard of the tests: an interposer in front of the C
// allocator (and so of operator new) and of every call that can block a
// thread (mutex, read-write lock, condition wait, semaphore, spin lock) that
// counts what the calling thread does while counting is on. Include this header in
// exactly one source file of a test program. Sanitizers bring their own
// allocator, so the guard exists in plain builds on glibc/x86-64 only:
// VANTOR_REALTIME_GUARD says whether it does.
#pragma once

#if defined(__GLIBC__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define VANTOR_REALTIME_GUARD 1

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>
#include <time.h>

#include <cstddef>

extern "C" {
void* __libc_malloc(size_t nBytes);
void* __libc_calloc(size_t nCount, size_t nBytes);
void* __libc_realloc(void* p, size_t nBytes);
void* __libc_memalign(size_t nAlignment, size_t nBytes);
void __libc_free(void* p);
// glibc's own lock functions under their internal names (versioned symbols).
int VantorRealMutexLock(pthread_mutex_t* pMutex);
int VantorRealRdLock(pthread_rwlock_t* pLock);
int VantorRealWrLock(pthread_rwlock_t* pLock);
}
__asm__(".symver VantorRealMutexLock, __pthread_mutex_lock@GLIBC_2.2.5");
__asm__(".symver VantorRealRdLock, __pthread_rwlock_rdlock@GLIBC_2.2.5");
__asm__(".symver VantorRealWrLock, __pthread_rwlock_wrlock@GLIBC_2.2.5");

namespace realtimeguard {
// The others have no internal name: the next definition after this program's
// own, looked up once while the program starts.
template <typename Function> Function Next(const char* pszName)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, pszName));
}
inline const auto gpMutexTimedLock = Next<int (*)(pthread_mutex_t*, const struct timespec*)>("pthread_mutex_timedlock");
inline const auto gpCondWait = Next<int (*)(pthread_cond_t*, pthread_mutex_t*)>("pthread_cond_wait");
inline const auto gpCondTimedWait
    = Next<int (*)(pthread_cond_t*, pthread_mutex_t*, const struct timespec*)>("pthread_cond_timedwait");
inline const auto gpCondClockWait
    = Next<int (*)(pthread_cond_t*, pthread_mutex_t*, clockid_t, const struct timespec*)>("pthread_cond_clockwait");
inline const auto gpSemWait = Next<int (*)(sem_t*)>("sem_wait");
inline const auto gpSemTimedWait = Next<int (*)(sem_t*, const struct timespec*)>("sem_timedwait");
inline const auto gpSpinLock = Next<int (*)(pthread_spinlock_t*)>("pthread_spin_lock");
} // namespace realtimeguard

namespace realtimeguard {
inline thread_local bool tbCounting = false;
inline thread_local long tnAllocations = 0;
inline thread_local long tnFrees = 0;
inline thread_local long tnLocks = 0;
} // namespace realtimeguard

extern "C" void* malloc(size_t nBytes)
{
    realtimeguard::tnAllocations += realtimeguard::tbCounting;
    return __libc_malloc(nBytes);
}

extern "C" void* calloc(size_t nCount, size_t nBytes)
{
    realtimeguard::tnAllocations += realtimeguard::tbCounting;
    return __libc_calloc(nCount, nBytes);
}

extern "C" void* realloc(void* p, size_t nBytes)
{
    realtimeguard::tnAllocations += realtimeguard::tbCounting;
    return __libc_realloc(p, nBytes);
}

extern "C" void* aligned_alloc(size_t nAlignment, size_t nBytes)
{
    realtimeguard::tnAllocations += realtimeguard::tbCounting;
    return __libc_memalign(nAlignment, nBytes);
}

extern "C" void free(void* p)
{
    realtimeguard::tnFrees += realtimeguard::tbCounting && p != nullptr;
    __libc_free(p);
}

// Every call below may wait for another thread: each counts as a lock.
extern "C" int pthread_mutex_lock(pthread_mutex_t* pMutex)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return VantorRealMutexLock(pMutex);
}

extern "C" int pthread_mutex_timedlock(pthread_mutex_t* pMutex, const struct timespec* pTime)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return realtimeguard::gpMutexTimedLock(pMutex, pTime);
}

extern "C" int pthread_rwlock_rdlock(pthread_rwlock_t* pLock)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return VantorRealRdLock(pLock);
}

extern "C" int pthread_rwlock_wrlock(pthread_rwlock_t* pLock)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return VantorRealWrLock(pLock);
}

extern "C" int pthread_cond_wait(pthread_cond_t* pCond, pthread_mutex_t* pMutex)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return realtimeguard::gpCondWait(pCond, pMutex);
}

extern "C" int pthread_cond_timedwait(pthread_cond_t* pCond, pthread_mutex_t* pMutex, const struct timespec* pTime)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return realtimeguard::gpCondTimedWait(pCond, pMutex, pTime);
}

extern "C" int pthread_cond_clockwait(
    pthread_cond_t* pCond, pthread_mutex_t* pMutex, clockid_t nClock, const struct timespec* pTime)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return realtimeguard::gpCondClockWait(pCond, pMutex, nClock, pTime);
}

extern "C" int sem_wait(sem_t* pSem)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return realtimeguard::gpSemWait(pSem);
}

extern "C" int sem_timedwait(sem_t* pSem, const struct timespec* pTime)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return realtimeguard::gpSemTimedWait(pSem, pTime);
}

extern "C" int pthread_spin_lock(pthread_spinlock_t* pLock)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return realtimeguard::gpSpinLock(pLock);
}

struct SRealtimeCounts {
    long nAllocations;
    long nFrees;
    long nLocks;
};

// What this thread allocated, freed and locked while function ran.
template <typename Function> SRealtimeCounts RealtimeCountsDuring(Function function)
{
    using namespace realtimeguard;
    tnAllocations = tnFrees = tnLocks = 0;
    tbCounting = true;
    function();
    tbCounting = false;
    return { tnAllocations, tnFrees, tnLocks };
}

#endif
