// qv7-fuzzseed DIR: writes every fuzz target's seed corpus into DIR/<target>/.
#include "fuzz/targets/FuzzSeeds.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    if (!WriteFuzzSeeds(argv[1]))
    {
        std::fprintf(stderr, "qv7-fuzzseed: could not write the seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
