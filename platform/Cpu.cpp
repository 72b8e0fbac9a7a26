// Processor capabilities and the floating-point mode.
#include "Platform.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#define VANTOR_X86 1
#endif

namespace platform {

bool IsSSEUsable()
{
#ifdef VANTOR_X86
    static const bool bUsable = __builtin_cpu_supports("sse") != 0;
    return bUsable;
#else
    return false;
#endif
}

#ifdef VANTOR_X86
// MXCSR bits: flush-to-zero (15) and denormals-are-zero (6).
constexpr unsigned kNoDenormalBits = 0x8040;

CScopedNoDenormals::CScopedNoDenormals()
    : mnSavedMode(_mm_getcsr())
{
    _mm_setcsr(mnSavedMode | kNoDenormalBits);
}

CScopedNoDenormals::~CScopedNoDenormals()
{
    _mm_setcsr(mnSavedMode);
}
#else
CScopedNoDenormals::CScopedNoDenormals()
    : mnSavedMode(0)
{ }

CScopedNoDenormals::~CScopedNoDenormals() = default;
#endif

} // namespace platform
