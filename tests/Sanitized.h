// Whether this test program runs under a sanitizer, whose runtime changes
// what allocation and resident-size figures mean.
#pragma once

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
