// libFuzzer target for the skin file: container reader, cast decoder and
// layout reader through a memory-only container. Built with clang by
// `make fuzz` (five minutes) and `make fuzz-smoke` (one minute).
#include "SkinFuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    FeedSkinBytes(pData, nSize);
    return 0;
}
