// The libFuzzer entry of one target, built once per target with
// QV7_FUZZ_TARGET naming it; the stage is made before the first input so
// that its allocations are not counted against any input.
#include "fuzz/targets/FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

namespace
{
FuzzFunction g_run = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const FuzzTarget* target = FindFuzzTarget(QV7_FUZZ_TARGET);
    if (!target)
    {
        std::fprintf(stderr, "fuzz: no target named %s\n", QV7_FUZZ_TARGET);
        std::abort();
    }
    g_run = target->run;
    // A run on the empty input makes the stage; every loader refuses it cleanly.
    g_run(nullptr, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return g_run(data, size);
}
