// The real-time guard of the tests: an interposer in front of the C
// allocator (and so of operator new) and of pthread_mutex_lock that counts
// what the calling thread does while counting is on. Include this header in
// exactly one source file of a test program. Sanitizers bring their own
// allocator, so the guard exists in plain builds on glibc/x86-64 only:
// VANTOR_REALTIME_GUARD says whether it does.
#pragma once

#if defined(__GLIBC__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define VANTOR_REALTIME_GUARD 1

#include <pthread.h>

#include <cstddef>

extern "C" {
void* __libc_malloc(size_t nBytes);
void* __libc_calloc(size_t nCount, size_t nBytes);
void* __libc_realloc(void* p, size_t nBytes);
void* __libc_memalign(size_t nAlignment, size_t nBytes);
void __libc_free(void* p);
// glibc's own lock under its internal name (a versioned symbol).
int VantorRealMutexLock(pthread_mutex_t* pMutex);
}
__asm__(".symver VantorRealMutexLock, __pthread_mutex_lock@GLIBC_2.2.5");

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

extern "C" int pthread_mutex_lock(pthread_mutex_t* pMutex)
{
    realtimeguard::tnLocks += realtimeguard::tbCounting;
    return VantorRealMutexLock(pMutex);
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
    return {tnAllocations, tnFrees, tnLocks};
}

#endif
