#include "world/ParallelRows.h"

#include <atomic>

namespace
{
std::atomic<unsigned> s_mostRowThreads{0};
}

void SetMostRowThreads(unsigned most)
{
    s_mostRowThreads = most;
}

unsigned MostRowThreads()
{
    return s_mostRowThreads;
}
